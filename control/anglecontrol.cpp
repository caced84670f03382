#include "control/anglecontrol.h"

#include "link/sendpath.h"
#include "protocol/anglecheck.h"
#include "protocol/textcommand.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QLineEdit>
#include <QPushButton>

AngleControl::AngleControl(SendPath &send, QLineEdit *pan, QLineEdit *tilt, const ByteBox *panSpeed,
                           const ByteBox *tiltSpeed, QPushButton *sendAngles, QPushButton *query,
                           QWidget *window)
    : QObject(window), m_send(send), 水平速度(panSpeed), 垂直速度(tiltSpeed), m_window(window)
{
    connect(pan, &QLineEdit::textChanged, this, [this, pan] { check(pan, kPanEnd, PanAngleText); });
    connect(tilt, &QLineEdit::textChanged, this,
            [this, tilt] { check(tilt, kTiltEnd, TiltAngleText); });
    connect(sendAngles, &QPushButton::clicked, this, &AngleControl::确认发送角度_Click);
    connect(query, &QPushButton::clicked, this, &AngleControl::查询位置_Click);
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
    const QString command = protocol::goToAngleCommand(
        PanAngleText, TiltAngleText, 水平速度->currentText(), 垂直速度->currentText());
    m_send.SendText(command);
}

void AngleControl::查询位置_Click()
{
    m_send.SendText(protocol::kQueryPositionText);
}
