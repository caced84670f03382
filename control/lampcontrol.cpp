#include "control/lampcontrol.h"

#include "control/headcommands.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "protocol/textcommand.h"

#include <QCheckBox>
#include <QPushButton>

LampControl::LampControl(HeadCommands &commands, SendPath &send, QPushButton *on, QPushButton *off,
                         QCheckBox *textForm, QObject *parent)
    : QObject(parent), m_commands(commands), m_send(send), 角度控制(textForm)
{
    connect(on, &QPushButton::clicked, this, &LampControl::开_Click);
    connect(off, &QPushButton::clicked, this, &LampControl::关_Click);
}

void LampControl::开_Click()
{
    switchLamp(true);
}

void LampControl::关_Click()
{
    switchLamp(false);
}

void LampControl::switchLamp(bool on)
{
    const SendPath::Cause why(m_send, sendcause::kLampButton);
    if (角度控制->isChecked()) {
        const QString &command = on ? protocol::kLampOnText : protocol::kLampOffText;
        m_send.SendText(command);
        return;
    }
    m_commands.SendLampFrames(on);
}
