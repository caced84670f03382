#pragma once

#include "link/seriallink.h"
#include "link/tcplink.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls of the main window that choose, open and show the link.
struct LinkControls
{
    QCheckBox *串口 = nullptr;
    QCheckBox *网络 = nullptr;
    QComboBox *ComboComm = nullptr;
    QPushButton *搜索 = nullptr;
    QLineEdit *设备IP = nullptr;
    QPushButton *连接And断开连接 = nullptr;
    QLabel *ImgSwitchOn = nullptr;
    QLabel *ImgSwitchOff = nullptr;
    QLineEdit *TxtStatus = nullptr;
    QComboBox *探照灯 = nullptr;
};

// Link selection and connection: which link is used, finding serial ports, opening and closing
// the serial port or the TCP connection, and everything the operator sees of it.
class LinkController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHighestPort = 36;

    LinkController(const LinkControls &controls, const QString &programDir, QWidget *window);

    SerialLink &MSComm() { return m_serial; }
    TcpLink &网络Client() { return m_tcp; }
    // The link the selected check box points at.
    Link &selectedLink();
    bool serialSelected() const;
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
    void 串口_Click();
    void 网络_Click();
    void 探照灯_Click();
    void 搜索_Click();
    void 网络Client_Connect();

    // Setting a link check box from code runs its click handler, as a click would.
    void setSerialChecked(bool checked);
    void setTcpChecked(bool checked);

private:
    void showLinkOpen(bool open);
    void serialLost();
    void tcpLost();
    void tcpConnectFailed();
    static QString settingsString(const QString &baud, const QString &parity,
                                  const QString &dataBits, const QString &stopBits);

    LinkControls c;
    QWidget *m_window;
    SerialLink m_serial;
    TcpLink m_tcp;
};

// The address with its last part replaced by n; parts that are missing or not a number 0-255
// count as 0, and only the first four parts are read.
QString replaceHostPart(const QString &address, int n);
