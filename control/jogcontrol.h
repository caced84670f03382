#pragma once

#include "protocol/frame.h"

#include <QObject>

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

    void scan();
    void 停止运动_Click();

private:
    void releaseAll();

    HeadCommands &m_commands;
    SendPath &m_send;
    Ticker *鼠标发送扫描器;
};
