#pragma once

#include <QObject>
#include <QString>

class ByteBox;
class QLineEdit;
class QPushButton;
class ConsoleModel;
class SendPath;
class QWidget;

// The main window's controls for angles and the position query.
struct AngleControls
{
    QLineEdit *水平角度 = nullptr;
    QLineEdit *垂直角度 = nullptr;
    const ByteBox *水平速度 = nullptr;
    const ByteBox *垂直速度 = nullptr;
    QPushButton *确认发送角度 = nullptr;
    QPushButton *查询位置 = nullptr;
};

// Absolute angles and the position query. Every keystroke in an angle box is checked at once:
// an accepted entry is kept, zero-prefixed, for the next go-to-angle command; an entry out of
// range is refused with a message and the box is emptied.
class AngleControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPanEnd = 360;
    static constexpr int kTiltEnd = 180;

    AngleControl(const ConsoleModel &model, SendPath &send, const AngleControls &controls,
                 QWidget *window);

    QString PanAngleText = QStringLiteral("060");
    QString TiltAngleText = QStringLiteral("060");

    void 确认发送角度_Click();
    void 查询位置_Click();

private:
    void check(QLineEdit *box, int rangeEnd, QString &stored);

    const ConsoleModel &m_model;
    SendPath &m_send;
    AngleControls c;
    QWidget *m_window;
};
