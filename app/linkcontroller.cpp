#include "app/linkcontroller.h"

#include "link/hostpart.h"
#include "link/links.h"
#include "link/linktexts.h"
#include "link/portpaths.h"
#include "ui/choicebox.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace linktexts;

LinkController::LinkController(const LinkControls &controls, Links &links, QWidget *window)
    : QObject(window), c(controls), m_links(links), m_window(window)
{
    connect(c.连接And断开连接, &QPushButton::clicked, this, &LinkController::连接And断开连接_Click);
    connect(c.串口, &QCheckBox::toggled, this, &LinkController::串口_Click);
    connect(c.网络, &QCheckBox::toggled, this, &LinkController::网络_Click);
    connect(c.探照灯, &ChoiceBox::chosen, this, &LinkController::探照灯_Click);
    connect(c.搜索, &QPushButton::clicked, this, &LinkController::搜索_Click);
    TcpLink &tcp = m_links.tcp();
    connect(&tcp, &TcpLink::connected, this, &LinkController::网络Client_Connect);
    connect(&tcp, &TcpLink::connectFailed, this, &LinkController::tcpConnectFailed);
    // A loss is handled after the port's own error handling has returned.
    connect(&tcp, &Link::lost, this, &LinkController::tcpLost, Qt::QueuedConnection);
    connect(&m_links.serial(), &Link::lost, this, &LinkController::serialLost,
            Qt::QueuedConnection);
}

bool LinkController::linkOpen() const
{
    return c.连接And断开连接->text() == kDisconnect;
}

QString LinkController::settingsString(const QString &baud, const QString &parity,
                                       const QString &dataBits, const QString &stopBits)
{
    return baud + u',' + parity.left(1) + u',' + dataBits + u',' + stopBits;
}

QString LinkController::portName() const
{
    return QStringLiteral("COM%1").arg(m_links.serial().portNumber());
}

void LinkController::FindSerialPorts()
{
    SerialLink &port = m_links.serial();
    c.ComboComm->clearAll();
    for (int n = 1; n <= kHighestPort; ++n) {
        if (!port.setPortNumber(n))
            continue;
        switch (port.open()) {
        case SerialLink::OpenResult::Opened:
            port.close();
            c.ComboComm->addItem(QStringLiteral("COM%1").arg(n));
            break;
        case SerialLink::OpenResult::Held:
            c.ComboComm->addItem(QStringLiteral("COM%1").arg(n));
            break;
        case SerialLink::OpenResult::Failed:
            break;
        }
    }
    if (c.ComboComm->count() > 0)
        c.ComboComm->setValue(c.ComboComm->itemText(0));
}

bool LinkController::InitSerialPort(const QString &port, const QString &baud, const QString &parity,
                                    const QString &dataBits, const QString &stopBits)
{
    // The first step that fails ends the set-up; the rest is not applied. The receive settings
    // are the serial link's own defaults, so they hold on every open all the same.
    SerialLink &serial = m_links.serial();
    if (!serial.setPortNumber(portpaths::portNumberFromText(port)))
        return false;
    if (!serial.setSettings(settingsString(baud, parity, dataBits, stopBits)))
        return false;
    serial.setBufferSizes(100, 100);
    serial.discardInput();
    serial.discardOutput();
    serial.setThresholds(1, 1);
    serial.setReadLength(0);
    serial.setBinaryInput(true);
    return true;
}

bool LinkController::SetPortParams(const QString &port, const QString &baud, const QString &parity,
                                   const QString &dataBits, const QString &stopBits)
{
    SerialLink &serial = m_links.serial();
    return serial.setPortNumber(portpaths::portNumberFromText(port)) &&
           serial.setSettings(settingsString(baud, parity, dataBits, stopBits));
}

void LinkController::SetDeviceIpHost(int n)
{
    c.设备IP->setText(replaceHostPart(c.设备IP->text(), n));
}

void LinkController::showLinkOpen(bool open)
{
    c.连接And断开连接->setText(open ? kDisconnect : kConnect);
    c.ImgSwitchOn->setVisible(open);
    c.ImgSwitchOff->setVisible(!open);
    m_links.setOpen(open);
}

void LinkController::连接And断开连接_Click()
{
    if (LinkOn) {
        LinkOn = false;
        showLinkOpen(false);
        m_links.tcp().close();
        c.设备IP->setEnabled(true);
    } else {
        LinkOn = true;
    }

    if (LinkOn && c.串口->isChecked()) {
        connectSerial();
    } else if (LinkOn && c.网络->isChecked()) {
        TcpLink &tcp = m_links.tcp();
        tcp.setRemoteHost(c.设备IP->text());
        tcp.setRemotePort(TcpLink::kRemotePort);
        tcp.connectToRemote();
        m_links.serial().close();
    } else if (!LinkOn && c.串口->isChecked()) {
        c.TxtStatus->setText(portName() + kClosedSuffix);
        c.ComboComm->setEnabled(true);
        c.搜索->setEnabled(true);
        m_links.serial().close();
        c.网络->setEnabled(true);
        c.串口->setEnabled(true);
    } else if (!LinkOn && c.网络->isChecked()) {
        m_links.tcp().close();
        c.TxtStatus->setText(kTcpClosed);
        c.串口->setEnabled(true);
        c.网络->setEnabled(true);
        c.搜索->setEnabled(true);
    }
}

void LinkController::connectSerial()
{
    SerialLink &serial = m_links.serial();
    const QString portText = c.ComboComm->currentText();
    SerialLink::OpenResult result = SerialLink::OpenResult::Failed;
    if (SetPortParams(portText, QStringLiteral("9600"), QStringLiteral("N"), QStringLiteral("8"),
                      QStringLiteral("1")))
        result = serial.open();
    if (result == SerialLink::OpenResult::Held) {
        LinkOn = false;
        prompt::show(m_window, portName() + kPortHeldSuffix);
        return;
    }
    if (result == SerialLink::OpenResult::Failed) {
        // Nothing was opened: back to serial ready, and say so instead of staying silent.
        LinkOn = false;
        const QString shown = portText.trimmed().isEmpty() ? kNoPortChosen : portText;
        c.TxtStatus->setText(shown + kOpenFailedSuffix);
        return;
    }
    c.ComboComm->setEnabled(false);
    c.搜索->setEnabled(false);
    c.TxtStatus->setText(portName() + kOpenedInfix + serial.settings());
    showLinkOpen(true);
    prompt::show(m_window, kDeviceConnected);
    // While the message was up the device may have gone, and the panel with it back to serial
    // ready: the link kind must then stay free to change.
    if (!LinkOn || !serial.isOpen() || !c.串口->isChecked())
        return;
    c.网络->setEnabled(false);
    c.串口->setEnabled(false);
}

void LinkController::网络Client_Connect()
{
    c.TxtStatus->setText(kConnectedTo + c.设备IP->text());
    c.ComboComm->setEnabled(false);
    c.串口->setEnabled(false);
    c.网络->setEnabled(false);
    c.搜索->setEnabled(false);
    c.设备IP->setEnabled(false);
    showLinkOpen(true);
    LinkOn = true;
    prompt::show(m_window, kDeviceConnected);
}

void LinkController::tcpConnectFailed()
{
    // Give up the attempt and say so, rather than waiting in "connecting" without a word.
    if (!LinkOn || linkOpen() || !c.网络->isChecked())
        return;
    LinkOn = false;
    m_links.tcp().close();
    c.TxtStatus->setText(kCannotConnectTo + m_links.tcp().remoteHost());
}

void LinkController::tcpLost()
{
    if (!linkOpen() || !c.网络->isChecked())
        return;
    连接And断开连接_Click();
    c.TxtStatus->setText(kDeviceDropped);
}

void LinkController::serialLost()
{
    if (!linkOpen() || !c.串口->isChecked()) {
        m_links.serial().close();
        return;
    }
    连接And断开连接_Click();
    c.TxtStatus->setText(kDeviceDropped);
}

void LinkController::串口_Click()
{
    if (c.串口->isChecked()) {
        m_links.setKind(Links::Kind::Serial);
        setTcpChecked(false);
        c.ComboComm->setEnabled(true);
        c.设备IP->setEnabled(false);
        m_links.tcp().close();
        LinkOn = false;
        showLinkOpen(false);
        c.TxtStatus->setText(kSerialReady);
    } else {
        setTcpChecked(true);
    }
}

void LinkController::网络_Click()
{
    if (c.网络->isChecked()) {
        m_links.setKind(Links::Kind::Tcp);
        setSerialChecked(false);
        c.ComboComm->setEnabled(false);
        c.设备IP->setEnabled(true);
        LinkOn = false;
        showLinkOpen(false);
        c.TxtStatus->setText(kTcpReady);
    } else {
        setSerialChecked(true);
    }
}

void LinkController::setSerialChecked(bool checked)
{
    c.串口->setChecked(checked);
}

void LinkController::setTcpChecked(bool checked)
{
    c.网络->setChecked(checked);
}

void LinkController::探照灯_Click()
{
    if (!c.网络->isChecked())
        return;
    LinkOn = false;
    showLinkOpen(false);
    c.串口->setEnabled(true);
    c.网络->setEnabled(true);
    c.搜索->setEnabled(true);
    c.ComboComm->setEnabled(true);
    c.设备IP->setEnabled(true);
    c.TxtStatus->setText(kDeviceDropped);
    m_links.tcp().close();
    SetDeviceIpHost(c.探照灯->currentText().toInt());
}

void LinkController::搜索_Click()
{
    FindSerialPorts();
}
