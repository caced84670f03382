#include "control/anglecontrol.h"

#include "control/consolemodel.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "protocol/anglecheck.h"
#include "protocol/textcommand.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QLineEdit>
#include <QPushButton>

AngleControl::AngleControl(const ConsoleModel &model, SendPath &send, const AngleControls &controls,
                           QWidget *window)
    : QObject(window), m_model(model), m_send(send), c(controls), m_window(window)
{
    connect(c.水平角度, &QLineEdit::textChanged, this,
            [this] { check(c.水平角度, kPanEnd, PanAngleText); });
    connect(c.垂直角度, &QLineEdit::textChanged, this,
            [this] { check(c.垂直角度, kTiltEnd, TiltAngleText); });
    connect(c.确认发送角度, &QPushButton::clicked, this, &AngleControl::确认发送角度_Click);
    connect(c.查询位置, &QPushButton::clicked, this, &AngleControl::查询位置_Click);
}

void AngleControl::check(QLineEdit *box, int rangeEnd, QString &stored)
{
    const protocol::AngleCheck result = protocol::checkAngle(box->text(), rangeEnd);
    if (result.accepted) {
        stored = result.stored;
        return;
    }
    prompt::show(m_window, protocol::angleRangeMessage(rangeEnd));
    // Emptying the box runs this check again, which keeps "00".
    box->setText(QString());
}

void AngleControl::确认发送角度_Click()
{
    m_send.send(protocol::goToAngles(PanAngleText, TiltAngleText, m_model.panSpeedText(),
                                     m_model.tiltSpeedText()),
                sendcause::kAngleButton);
}

void AngleControl::查询位置_Click()
{
    m_send.send(protocol::queryPosition(), sendcause::kQueryButton);
}
