#pragma once

#include "link/links.h"
#include "link/serialsettings.h"
#include "schedule/settingsfiles.h"

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
// or the TCP connection, the device address and its settings file, and everything the operator
// sees of it. Whether a link is open is kept in Links; the connect button's caption and the
// indicator show it.
class LinkController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHighestPort = 36;

    // settings says where 123.ini, the device address, is read and written.
    LinkController(const LinkControls &controls, Links &links, schedule::SettingsPlace settings,
                   QWidget *window);

    Links &links() { return m_links; }
    bool linkOpen() const;

    // The operator's intent: set by the connect button when it connects, cleared when it
    // disconnects or the link could not be made.
    bool LinkOn = false;

    void FindSerialPorts();
    bool InitSerialPort(const QString &port, const SerialSettings &settings);
    bool SetPortParams(const QString &port, const SerialSettings &settings);
    void SetDeviceIpHost(int n);

    void LoadDeviceIp();
    schedule::SaveResult SaveDeviceIp();

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

signals:
    // The link was opened, closed, lost, or could not be made; detail says which and how, as
    // the status line says it.
    void linkChanged(LinkEvent event, const QString &detail);

private:
    void connectSerial();
    void showState(Links::State state);
    // What the disconnect and a loss both do: the link closed, the panel back to ready.
    void closeLink();
    bool serialSelected() const;
    bool tcpSelected() const;
    QString portName() const;
    void serialLost();
    void tcpLost();
    void tcpConnectFailed();

    LinkControls c;
    Links &m_links;
    schedule::SettingsPlace m_settings;
    QWidget *m_window;
};
