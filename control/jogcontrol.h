#pragma once

#include "protocol/frame.h"

#include <QObject>
#include <QString>

#include <array>

class HeadCommands;
class HoldButton;
class QPushButton;
class Ticker;
class SendPath;

// Jogging the head: a held direction button raises its flag, and a free-running 10 ms scan
// turns every raised flag into one motion frame per tick. Also the stop button.
class JogControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kScanMs = 10;

    // buttons in scan order: up-left, up, up-right, right, down-right, down, down-left, left.
    JogControl(HeadCommands &commands, SendPath &send, const std::array<HoldButton *, 8> &buttons,
               QPushButton *stopButton, QObject *parent = nullptr);

    std::array<bool, 8> JogHeld{};

    // Raises or lowers direction index (scan order) on behalf of a button, a key or the stick;
    // cause is what the journal names for its frames (sendcause.h).
    void hold(std::size_t index, const QString &cause);
    void letGo(std::size_t index);

    void scan();
    void 停止运动_Click();

signals:
    // The scan has sent the first frame of direction index (scan order) being held, or has
    // found it no longer held: a jog's beginning and end, once each.
    void jogStarted(int index);
    void jogEnded(int index);

private:
    void releaseAll();

    HeadCommands &m_commands;
    SendPath &m_send;
    Ticker *鼠标发送扫描器;
    std::array<QString, 8> m_causes;
    // The directions the scan is jogging, to tell a jog's start and end.
    std::array<bool, 8> m_jogging{};
};
