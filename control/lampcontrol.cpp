#include "control/lampcontrol.h"

#include "control/consolemodel.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "protocol/textcommand.h"

#include <QCheckBox>
#include <QPushButton>

LampControl::LampControl(const ConsoleModel &model, SendPath &send, QPushButton *on,
                         QPushButton *off, QCheckBox *textForm, QObject *parent)
    : QObject(parent), m_model(model), m_send(send), 角度控制(textForm)
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
    if (角度控制->isChecked()) {
        m_send.send(protocol::textLamp(on), sendcause::kLampButton);
        return;
    }
    m_send.burst(m_model.lamp(on), ConsoleModel::kBurst, sendcause::kLampButton);
}
