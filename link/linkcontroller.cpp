#include "link/linkcontroller.h"

#include "link/linktexts.h"
#include "link/portpaths.h"
#include "link/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <array>

using namespace linktexts;

QString replaceHostPart(const QString &address, int n)
{
    std::array<int, 4> parts = {0, 0, 0, 0};
    const QStringList pieces = address.split(u'.');
    for (int i = 0; i < pieces.size() && i < 4; ++i) {
        bool ok = false;
        const int value = pieces[i].trimmed().toInt(&ok, 10);
        parts[i] = (ok && value >= 0 && value <= 255) ? value : 0;
    }
    parts[3] = n;
    return QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

LinkController::LinkController(const LinkControls &controls, const QString &programDir,
                               QWidget *window)
    : QObject(window), c(controls), m_window(window), m_serial(programDir)
{
    connect(c.连接And断开连接, &QPushButton::clicked, this, &LinkController::连接And断开连接_Click);
    connect(c.串口, &QCheckBox::clicked, this, &LinkController::串口_Click);
    connect(c.网络, &QCheckBox::clicked, this, &LinkController::网络_Click);
    connect(c.探照灯, &QComboBox::activated, this, &LinkController::探照灯_Click);
    connect(c.搜索, &QPushButton::clicked, this, &LinkController::搜索_Click);
    connect(&m_tcp, &TcpLink::connected, this, &LinkController::网络Client_Connect);
    connect(&m_tcp, &TcpLink::connectFailed, this, &LinkController::tcpConnectFailed);
    // A loss is handled after the port's own error handling has returned.
    connect(&m_tcp, &Link::lost, this, &LinkController::tcpLost, Qt::QueuedConnection);
    connect(&m_serial, &Link::lost, this, &LinkController::serialLost, Qt::QueuedConnection);
}

Link &LinkController::selectedLink()
{
    if (serialSelected())
        return m_serial;
    return m_tcp;
}

bool LinkController::serialSelected() const
{
    return c.串口->isChecked();
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

void LinkController::FindSerialPorts()
{
    c.ComboComm->clear();
    for (int n = 1; n <= kHighestPort; ++n) {
        if (!m_serial.setPortNumber(n))
            continue;
        switch (m_serial.open()) {
        case SerialLink::OpenResult::Opened:
            m_serial.close();
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
        c.ComboComm->setCurrentIndex(0);
}

bool LinkController::InitSerialPort(const QString &port, const QString &baud, const QString &parity,
                                    const QString &dataBits, const QString &stopBits)
{
    // The first step that fails ends the set-up; the rest is not applied.
    if (!m_serial.setPortNumber(portpaths::portNumberFromText(port)))
        return false;
    if (!m_serial.setSettings(settingsString(baud, parity, dataBits, stopBits)))
        return false;
    m_serial.setBufferSizes(100, 100);
    m_serial.discardInput();
    m_serial.discardOutput();
    m_serial.setThresholds(1, 1);
    m_serial.setReadLength(0);
    m_serial.setBinaryInput(true);
    return true;
}

bool LinkController::SetPortParams(const QString &port, const QString &baud, const QString &parity,
                                   const QString &dataBits, const QString &stopBits)
{
    return m_serial.setPortNumber(portpaths::portNumberFromText(port)) &&
           m_serial.setSettings(settingsString(baud, parity, dataBits, stopBits));
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
}

void LinkController::连接And断开连接_Click()
{
    if (LinkOn) {
        LinkOn = false;
        showLinkOpen(false);
        m_tcp.close();
        c.设备IP->setEnabled(true);
    } else {
        LinkOn = true;
    }

    if (LinkOn && c.串口->isChecked()) {
        const QString portText = c.ComboComm->currentText();
        SerialLink::OpenResult result = SerialLink::OpenResult::Failed;
        if (SetPortParams(portText, QStringLiteral("9600"), QStringLiteral("N"),
                          QStringLiteral("8"), QStringLiteral("1")))
            result = m_serial.open();
        if (result == SerialLink::OpenResult::Held) {
            LinkOn = false;
            prompt::show(m_window,
                         QStringLiteral("COM%1").arg(m_serial.portNumber()) + kPortHeldSuffix);
            return;
        }
        if (result == SerialLink::OpenResult::Failed) {
            // Nothing was opened: back to serial ready, and say so instead of staying silent.
            LinkOn = false;
            c.TxtStatus->setText(portText + kOpenFailedSuffix);
            return;
        }
        c.ComboComm->setEnabled(false);
        c.搜索->setEnabled(false);
        c.TxtStatus->setText(QStringLiteral("COM%1").arg(m_serial.portNumber()) + kOpenedInfix +
                             m_serial.settings());
        showLinkOpen(true);
        prompt::show(m_window, kDeviceConnected);
        c.网络->setEnabled(false);
        c.串口->setEnabled(false);
    } else if (LinkOn && c.网络->isChecked()) {
        m_tcp.setRemoteHost(c.设备IP->text());
        m_tcp.setRemotePort(TcpLink::kRemotePort);
        m_tcp.connectToRemote();
        m_serial.close();
    } else if (!LinkOn && c.串口->isChecked()) {
        c.TxtStatus->setText(QStringLiteral("COM%1").arg(m_serial.portNumber()) + kClosedSuffix);
        c.ComboComm->setEnabled(true);
        c.搜索->setEnabled(true);
        m_serial.close();
        c.网络->setEnabled(true);
        c.串口->setEnabled(true);
    } else if (!LinkOn && c.网络->isChecked()) {
        m_tcp.close();
        c.TxtStatus->setText(kTcpClosed);
        c.串口->setEnabled(true);
        c.网络->setEnabled(true);
        c.搜索->setEnabled(true);
    }
}

void LinkController::网络Client_Connect()
{
    c.TxtStatus->setText(kConnectedTo + c.设备IP->text());
    c.ImgSwitchOn->setVisible(true);
    c.ComboComm->setEnabled(false);
    c.串口->setEnabled(false);
    c.网络->setEnabled(false);
    c.搜索->setEnabled(false);
    c.设备IP->setEnabled(false);
    c.ImgSwitchOff->setVisible(false);
    c.连接And断开连接->setText(kDisconnect);
    LinkOn = true;
    prompt::show(m_window, kDeviceConnected);
}

void LinkController::tcpConnectFailed()
{
    // Give up the attempt and say so, rather than waiting in "connecting" without a word.
    if (!LinkOn || linkOpen() || !c.网络->isChecked())
        return;
    LinkOn = false;
    m_tcp.close();
    c.TxtStatus->setText(kCannotConnectTo + m_tcp.remoteHost());
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
        m_serial.close();
        return;
    }
    连接And断开连接_Click();
    c.TxtStatus->setText(kDeviceDropped);
}

void LinkController::串口_Click()
{
    if (c.串口->isChecked()) {
        setTcpChecked(false);
        c.ComboComm->setEnabled(true);
        c.设备IP->setEnabled(false);
        m_tcp.close();
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
    if (c.串口->isChecked() == checked)
        return;
    c.串口->setChecked(checked);
    串口_Click();
}

void LinkController::setTcpChecked(bool checked)
{
    if (c.网络->isChecked() == checked)
        return;
    c.网络->setChecked(checked);
    网络_Click();
}

void LinkController::探照灯_Click()
{
    if (!c.网络->isChecked())
        return;
    LinkOn = false;
    c.ImgSwitchOn->setVisible(false);
    c.ImgSwitchOff->setVisible(true);
    c.串口->setEnabled(true);
    c.网络->setEnabled(true);
    c.搜索->setEnabled(true);
    c.ComboComm->setEnabled(true);
    c.连接And断开连接->setText(kConnect);
    c.设备IP->setEnabled(true);
    c.TxtStatus->setText(kDeviceDropped);
    m_tcp.close();
    SetDeviceIpHost(c.探照灯->currentText().toInt());
}

void LinkController::搜索_Click()
{
    FindSerialPorts();
}
