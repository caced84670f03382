#pragma once

#include <QObject>
#include <QString>

class ByteBox;
class QLineEdit;
class QPushButton;
class SendPath;
class QWidget;

// Absolute angles and the position query. Every keystroke in an angle box is checked at once:
// an accepted entry is kept, zero-prefixed, for the next go-to-angle command; an entry out of
// range is refused with a message and the box is emptied.
class AngleControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPanEnd = 360;
    static constexpr int kTiltEnd = 180;

    AngleControl(SendPath &send, QLineEdit *pan, QLineEdit *tilt, const ByteBox *panSpeed,
                 const ByteBox *tiltSpeed, QPushButton *sendAngles, QPushButton *query,
                 QWidget *window);

    QString PanAngleText = QStringLiteral("060");
    QString TiltAngleText = QStringLiteral("060");

    void 确认发送角度_Click();
    void 查询位置_Click();

private:
    void check(QLineEdit *box, int rangeEnd, QString &stored);

    SendPath &m_send;
    const ByteBox *水平速度;
    const ByteBox *垂直速度;
    QWidget *m_window;
};
