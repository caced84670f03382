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

// What drives the head besides the held directions: a joystick, asked once at the start of
// every tick of the scan.
class StickInput
{
public:
    virtual ~StickInput() = default;
    // Reads the device; it may hold or let go of directions meanwhile (a direction pad).
    virtual void poll() = 0;
    // The motion the stick asks for in this tick; nothing while it is centred or may not drive.
    virtual std::optional<stick::Motion> motion() const = 0;
    // A device is there to be read on every tick, so the scan may not rest.
    virtual bool wantsTicks() const = 0;
};

// Jogging the head: a held direction button, key or direction pad raises its flag, and a
// free-running 10 ms scan turns every raised flag into one motion frame per tick; in a tick with
// no flag raised, a deflected stick sends one frame of its own. Also the stop button, which lets
// go of everything.
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
    // The stick is asked on every tick from now on; null for none.
    void setStick(StickInput *stick);
    // A device came that wants every tick: the scan leaves its rest at the next tick of its grid.
    void wake();

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

    const ConsoleModel &m_model;
    SendPath &m_send;
    Ticker *鼠标发送扫描器;
    std::array<quint8, 8> m_hands{};
    std::array<QString, 8> m_causes;
    // The directions and the stick the scan is jogging, to tell a jog's start and end.
    std::array<bool, 9> m_jogging{};
    StickInput *m_stick = nullptr;
    bool m_scanning = false;
};
