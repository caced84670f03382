#include "control/jogcontrol.h"

#include "control/headcommands.h"
#include "control/ticker.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "protocol/textcommand.h"
#include "ui/holdbutton.h"

#include <algorithm>

JogControl::JogControl(HeadCommands &commands, SendPath &send,
                       const std::array<HoldButton *, 8> &buttons, QPushButton *stopButton,
                       QObject *parent)
    : QObject(parent), m_commands(commands), m_send(send)
{
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        connect(buttons[i], &HoldButton::held, this,
                [this, i] { hold(i, sendcause::kDirectionButton); });
        connect(buttons[i], &HoldButton::letGo, this, [this, i] { letGo(i); });
    }
    connect(stopButton, &QPushButton::clicked, this, &JogControl::停止运动_Click);
    // A refused frame lets go of every direction, so a jog without a link stops at once.
    connect(&m_send, &SendPath::frameRefused, this, &JogControl::releaseAll);

    // The scan is the only thing that turns held buttons into frames, one per direction per
    // tick, with no catching up after a late tick. It keeps its 10 ms grid for the whole run;
    // while no direction is held a tick has nothing to do, so the timer rests instead of waking
    // the console a hundred times a second, and a press wakes it for the next tick of the grid.
    鼠标发送扫描器 = new Ticker(kScanMs, this);
    鼠标发送扫描器->setObjectName(QStringLiteral("鼠标发送扫描器"));
    connect(鼠标发送扫描器, &Ticker::tick, this, &JogControl::scan);
    鼠标发送扫描器->rest();
}

void JogControl::hold(std::size_t index, const QString &cause)
{
    if (index >= JogHeld.size())
        return;
    JogHeld[index] = true;
    m_causes[index] = cause;
    鼠标发送扫描器->wake();
}

void JogControl::letGo(std::size_t index)
{
    if (index < JogHeld.size())
        JogHeld[index] = false;
}

void JogControl::scan()
{
    for (std::size_t i = 0; i < JogHeld.size(); ++i) {
        // Tested just before its frame: a refusal earlier in this tick has cleared it.
        if (!JogHeld[i])
            continue;
        if (!m_jogging[i]) {
            m_jogging[i] = true;
            emit jogStarted(int(i));
        }
        const SendPath::Cause why(m_send, m_causes[i]);
        m_commands.SendJogFrame(protocol::kScanOrder[i]);
    }
    // After the frames, so a direction let go by a refusal in this tick ends in this tick.
    for (std::size_t i = 0; i < JogHeld.size(); ++i) {
        if (m_jogging[i] && !JogHeld[i]) {
            m_jogging[i] = false;
            emit jogEnded(int(i));
        }
    }
    if (std::none_of(JogHeld.begin(), JogHeld.end(), [](bool held) { return held; }))
        鼠标发送扫描器->rest();
}

void JogControl::停止运动_Click()
{
    const SendPath::Cause why(m_send, sendcause::kStopButton);
    m_send.SendText(protocol::kStopText);
}

void JogControl::releaseAll()
{
    JogHeld.fill(false);
}
