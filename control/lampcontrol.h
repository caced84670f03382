#pragma once

#include <QObject>

class HeadCommands;
class QCheckBox;
class QPushButton;
class SendPath;

// The lamp buttons: three lamp frames, or one text command while the angle-control box is
// ticked.
class LampControl : public QObject
{
    Q_OBJECT
public:
    LampControl(HeadCommands &commands, SendPath &send, QPushButton *on, QPushButton *off,
                QCheckBox *textForm, QObject *parent = nullptr);

    void 开_Click();
    void 关_Click();

private:
    void switchLamp(bool on);

    HeadCommands &m_commands;
    SendPath &m_send;
    QCheckBox *角度控制;
};
