#pragma once

#include "control/stickmotion.h"
#include "protocol/frame.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class ConsoleModel;
class HoldButton;
class QPushButton;
class Ticker;
class SendPath;

// What a joystick says at one tick of the scan: a value the scan decides on, so that reading the
// device never calls back into the jog.
struct StickSample
{
    // A device is there to be read on every tick, so the scan may not rest.
    bool attached = false;
    // The driving device came or went since the last sample.
    bool changed = false;
    // The stick and the pad may move the head now: the console may be driven and has been since
    // the last sample, and no cruise runs.
    bool mayMove = false;
    // The stick's motion with the dead zone and the operator's shape applied; nothing while it is
    // inside the dead zone.
    std::optional<stick::Motion> motion;
    // Where the direction pad is pressed.
    std::optional<protocol::Direction> pad;
};

// What drives the head besides the held directions: a joystick, read once at the start of every
// tick of the scan.
class StickInput
{
public:
    virtual ~StickInput() = default;
    virtual StickSample poll() = 0;
};

// Jogging the head: a held direction button, key or direction pad raises its flag, and a
// free-running 10 ms scan turns every raised flag into one motion frame per tick; in a tick with
// no flag raised, a deflected stick sends one frame of its own. The scan reads the stick and
// decides what its sample holds and lets go. Dead-man rules: a stick stopped for any reason other
// than the operator centring it (a let-go of everything, a device that comes or goes, a time
// when it may not move the head) drives again only once it has been seen inside the dead zone;
// the pad holds a direction only when it moves to one. Also the stop button, which lets go of
// everything.
class JogControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kScanMs = 10;
    // The index jogStarted and jogEnded give the stick, after the eight directions.
    static constexpr int kStickJog = 8;

    // Who holds a direction. A direction stays held while any of them holds it.
    enum class Hand : quint8 { Button = 1, Key = 2, Pad = 4 };

    // buttons in scan order: up-left, up, up-right, right, down-right, down, down-left, left.
    JogControl(const ConsoleModel &model, SendPath &send,
               const std::array<HoldButton *, 8> &buttons, QPushButton *stopButton,
               QObject *parent = nullptr);

    std::array<bool, 8> JogHeld{};

    // The first hand to hold a direction names the cause of its frames for the journal.
    void hold(protocol::Direction direction, Hand hand);
    void letGo(protocol::Direction direction, Hand hand);
    // The stick is read on every tick from now on; null for none.
    void setStick(StickInput *stick);
    // A sample the stick gave outside the scan (its once-a-second look for a device), decided on
    // as a tick's is. For a device that is there, the scan leaves its rest at the next tick of
    // its grid.
    void takeSample(const StickSample &sample);

    void scan();
    // Sends the stop command and lets go of every direction, as a refused frame does.
    void 停止运动_Click();

signals:
    // Every direction was let go at once (a frame was refused, or 停止运动): whoever holds one
    // must press again, and the stick must come back to the centre.
    void everythingLetGo();
    // The scan has sent the first frame of direction index (scan order) being held, or of the
    // stick (kStickJog), or has found it no longer sending: a jog's beginning and end, once each.
    void jogStarted(int index);
    void jogEnded(int index);

private:
    void releaseAll();
    void follow(const StickSample &sample);
    void stopStick();

    const ConsoleModel &m_model;
    SendPath &m_send;
    Ticker *鼠标发送扫描器;
    std::array<quint8, 8> m_hands{};
    std::array<QString, 8> m_causes;
    // The directions and the stick the scan is jogging, to tell a jog's start and end.
    std::array<bool, 9> m_jogging{};
    StickInput *m_stick = nullptr;

    // The stick's motion this tick, once the dead-man rules have had their say.
    std::optional<stick::Motion> m_stickMotion;
    // Set whenever the stick stopped driving for a reason other than the operator centring it.
    bool m_mustCentre = true;
    // The pad's position at the last sample, and the direction it holds, if any.
    std::optional<protocol::Direction> m_padSeen;
    std::optional<protocol::Direction> m_padHeld;
};
