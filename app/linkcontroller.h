#pragma once

#include <QObject>
#include <QString>

class ChoiceBox;
class ByteBox;
class Links;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls of the main window that choose, open and show the link.
struct LinkControls
{
    QCheckBox *串口 = nullptr;
    QCheckBox *网络 = nullptr;
    ChoiceBox *ComboComm = nullptr;
    QPushButton *搜索 = nullptr;
    QLineEdit *设备IP = nullptr;
    QPushButton *连接And断开连接 = nullptr;
    QLabel *ImgSwitchOn = nullptr;
    QLabel *ImgSwitchOff = nullptr;
    QLineEdit *TxtStatus = nullptr;
    ByteBox *探照灯 = nullptr;
};

// The link panel: which link is used, finding serial ports, opening and closing the serial port
// or the TCP connection, and everything the operator sees of it.
class LinkController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHighestPort = 36;

    LinkController(const LinkControls &controls, Links &links, QWidget *window);

    Links &links() { return m_links; }
    // A link is open exactly while the connect button offers to disconnect.
    bool linkOpen() const;

    bool LinkOn = false;

    void FindSerialPorts();
    bool InitSerialPort(const QString &port, const QString &baud, const QString &parity,
                        const QString &dataBits, const QString &stopBits);
    bool SetPortParams(const QString &port, const QString &baud, const QString &parity,
                       const QString &dataBits, const QString &stopBits);
    void SetDeviceIpHost(int n);

    void 连接And断开连接_Click();
    // Run once for every change of the box, however it came (mouse, keyboard, an
    // accessibility action or code); each keeps exactly one of the two boxes ticked.
    void 串口_Click();
    void 网络_Click();
    void 探照灯_Click();
    void 搜索_Click();
    void 网络Client_Connect();

    // Ticking a link box from code runs its handler, as a click would.
    void setSerialChecked(bool checked);
    void setTcpChecked(bool checked);

private:
    void connectSerial();
    // The caption, the indicator and the open flag the rest of the console reads, together.
    void showLinkOpen(bool open);
    QString portName() const;
    void serialLost();
    void tcpLost();
    void tcpConnectFailed();
    static QString settingsString(const QString &baud, const QString &parity,
                                  const QString &dataBits, const QString &stopBits);

    LinkControls c;
    Links &m_links;
    QWidget *m_window;
};
