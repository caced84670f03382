#pragma once

#include <QObject>

class ConsoleModel;
class QCheckBox;
class QPushButton;
class SendPath;

// The lamp buttons: three lamp frames, or one text command while the angle-control box is
// ticked.
class LampControl : public QObject
{
    Q_OBJECT
public:
    LampControl(const ConsoleModel &model, SendPath &send, QPushButton *on, QPushButton *off,
                QCheckBox *textForm, QObject *parent = nullptr);

    void 开_Click();
    void 关_Click();

private:
    void switchLamp(bool on);

    const ConsoleModel &m_model;
    SendPath &m_send;
    QCheckBox *角度控制;
};
