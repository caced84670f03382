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
#include <QScopeGuard>

using namespace linktexts;

LinkController::LinkController(const LinkControls &controls, Links &links,
                               schedule::SettingsPlace settings, QWidget *window)
    : QObject(window), c(controls), m_links(links), m_settings(std::move(settings)),
      m_window(window)
{
    // The caption and the indicator show the one open state, whoever changes it.
    connect(&m_links, &Links::stateChanged, this, &LinkController::showState);
    connect(c.连接And断开连接, &QPushButton::clicked, this, &LinkController::连接And断开连接_Click);
    connect(c.串口, &QCheckBox::toggled, this, &LinkController::串口_Click);
    connect(c.网络, &QCheckBox::toggled, this, &LinkController::网络_Click);
    connect(c.探照灯, &ChoiceBox::chosen, this, &LinkController::探照灯_Click);
    connect(c.搜索, &QPushButton::clicked, this, &LinkController::搜索_Click);
    TcpLink &tcp = m_links.tcp();
    connect(&tcp, &Link::opened, this, &LinkController::网络Client_Connect);
    connect(&tcp, &Link::openFailed, this, &LinkController::tcpConnectFailed);
    // A loss is handled after the port's own error handling has returned.
    connect(&tcp, &Link::lost, this, &LinkController::tcpLost, Qt::QueuedConnection);
    connect(&m_links.serial(), &Link::lost, this, &LinkController::serialLost,
            Qt::QueuedConnection);
}

bool LinkController::linkOpen() const
{
    return m_links.isOpen();
}

bool LinkController::serialSelected() const
{
    return m_links.kind() == Links::Kind::Serial;
}

bool LinkController::tcpSelected() const
{
    return m_links.kind() == Links::Kind::Tcp;
}

QString LinkController::portName() const
{
    return QStringLiteral("COM%1").arg(m_links.serial().portNumber());
}

void LinkController::FindSerialPorts()
{
    SerialLink &port = m_links.serial();
    c.ComboComm->clearAll();
    port.holdSystemPorts(portpaths::listSystemPorts());
    const auto letGo = qScopeGuard([&port] { port.letGoOfSystemPorts(); });
    for (int n = 1; n <= kHighestPort; ++n) {
        if (!port.setPortNumber(n))
            continue;
        switch (port.open()) {
        case Link::OpenResult::Opened:
            port.close();
            c.ComboComm->addItem(QStringLiteral("COM%1").arg(n));
            break;
        case Link::OpenResult::Held:
            c.ComboComm->addItem(QStringLiteral("COM%1").arg(n));
            break;
        case Link::OpenResult::Pending:
        case Link::OpenResult::Failed:
            break;
        }
    }
    if (c.ComboComm->count() > 0)
        c.ComboComm->setValue(c.ComboComm->itemText(0));
}

bool LinkController::InitSerialPort(const QString &port, const SerialSettings &settings)
{
    // A port text without a number ends the set-up; the rest is not applied. Every byte that
    // arrives is handed on as it comes, whatever happened here.
    if (!SetPortParams(port, settings))
        return false;
    m_links.serial().discardInput();
    m_links.serial().discardOutput();
    return true;
}

bool LinkController::SetPortParams(const QString &port, const SerialSettings &settings)
{
    SerialLink &serial = m_links.serial();
    if (!serial.setPortNumber(portpaths::portNumberFromText(port)))
        return false;
    serial.setSettings(settings);
    return true;
}

void LinkController::SetDeviceIpHost(int n)
{
    c.设备IP->setText(replaceHostPart(c.设备IP->text(), n));
}

void LinkController::LoadDeviceIp()
{
    if (const auto ip = schedule::readDeviceIp(m_settings.readPath(schedule::deviceIpPath)))
        c.设备IP->setText(*ip);
}

schedule::SaveResult LinkController::SaveDeviceIp()
{
    return schedule::writeDeviceIp(m_settings.writePath(schedule::deviceIpPath), c.设备IP->text());
}

void LinkController::showState(Links::State state)
{
    const bool open = state == Links::State::Open;
    c.连接And断开连接->setText(open ? kDisconnect : kConnect);
    c.ImgSwitchOn->setVisible(open);
    c.ImgSwitchOff->setVisible(!open);
}

void LinkController::连接And断开连接_Click()
{
    if (LinkOn) {
        const bool wasOpen = m_links.isOpen();
        closeLink();
        if (wasOpen)
            emit linkChanged(LinkEvent::Closed, c.TxtStatus->text());
        return;
    }
    LinkOn = true;
    if (serialSelected()) {
        connectSerial();
    } else if (tcpSelected()) {
        TcpLink &tcp = m_links.tcp();
        m_links.setState(Links::State::Opening);
        tcp.setRemoteHost(c.设备IP->text());
        tcp.setRemotePort(TcpLink::kRemotePort);
        tcp.open();
        m_links.serial().close();
    }
}

void LinkController::closeLink()
{
    LinkOn = false;
    m_links.setState(Links::State::Closing);
    m_links.tcp().close();
    c.设备IP->setEnabled(true);
    if (serialSelected()) {
        c.TxtStatus->setText(portName() + kClosedSuffix);
        c.ComboComm->setEnabled(true);
        c.搜索->setEnabled(true);
        m_links.serial().close();
        c.网络->setEnabled(true);
        c.串口->setEnabled(true);
    } else if (tcpSelected()) {
        m_links.tcp().close();
        c.TxtStatus->setText(kTcpClosed);
        c.串口->setEnabled(true);
        c.网络->setEnabled(true);
        c.搜索->setEnabled(true);
    }
    m_links.setState(Links::State::Closed);
}

void LinkController::connectSerial()
{
    SerialLink &serial = m_links.serial();
    const QString portText = c.ComboComm->currentText();
    Link::OpenResult result = Link::OpenResult::Failed;
    m_links.setState(Links::State::Opening);
    if (SetPortParams(portText, SerialSettings{}))
        result = serial.open();
    if (result != Link::OpenResult::Opened)
        m_links.setState(Links::State::Closed);
    if (result == Link::OpenResult::Held) {
        LinkOn = false;
        emit linkChanged(LinkEvent::ConnectFailed, portName() + kPortHeldSuffix);
        prompt::show(m_window, portName() + kPortHeldSuffix);
        return;
    }
    if (result != Link::OpenResult::Opened) {
        // Nothing was opened: back to serial ready, and say so instead of staying silent.
        LinkOn = false;
        const QString shown = portText.trimmed().isEmpty() ? kNoPortChosen : portText;
        c.TxtStatus->setText(shown + kOpenFailedSuffix);
        emit linkChanged(LinkEvent::ConnectFailed, c.TxtStatus->text());
        return;
    }
    c.ComboComm->setEnabled(false);
    c.搜索->setEnabled(false);
    c.TxtStatus->setText(portName() + kOpenedInfix + serial.settings().text());
    m_links.setOpen(true);
    emit linkChanged(LinkEvent::Opened, c.TxtStatus->text());
    prompt::show(m_window, kDeviceConnected);
    // While the message was up the device may have gone, and the panel with it back to serial
    // ready: the link kind must then stay free to change.
    if (!LinkOn || !serial.isOpen() || !serialSelected())
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
    m_links.setOpen(true);
    LinkOn = true;
    emit linkChanged(LinkEvent::Opened, c.TxtStatus->text());
    prompt::show(m_window, kDeviceConnected);
}

void LinkController::tcpConnectFailed()
{
    // Give up the attempt and say so, rather than waiting in "connecting" without a word.
    if (!LinkOn || linkOpen() || !tcpSelected())
        return;
    LinkOn = false;
    m_links.tcp().close();
    m_links.setState(Links::State::Closed);
    c.TxtStatus->setText(kCannotConnectTo + m_links.tcp().remoteHost());
    emit linkChanged(LinkEvent::ConnectFailed, c.TxtStatus->text());
}

void LinkController::tcpLost()
{
    if (!linkOpen() || !tcpSelected())
        return;
    closeLink();
    c.TxtStatus->setText(kDeviceDropped);
    emit linkChanged(LinkEvent::Lost,
                     kDeviceDropped + QStringLiteral("：") + m_links.tcp().remoteHost());
}

void LinkController::serialLost()
{
    if (!linkOpen() || !serialSelected()) {
        m_links.serial().close();
        return;
    }
    closeLink();
    c.TxtStatus->setText(kDeviceDropped);
    emit linkChanged(LinkEvent::Lost, kDeviceDropped + QStringLiteral("：") + portName());
}

void LinkController::串口_Click()
{
    if (c.串口->isChecked()) {
        const bool wasOpen = m_links.isOpen();
        m_links.setKind(Links::Kind::Serial);
        setTcpChecked(false);
        c.ComboComm->setEnabled(true);
        c.设备IP->setEnabled(false);
        m_links.tcp().close();
        LinkOn = false;
        m_links.setOpen(false);
        c.TxtStatus->setText(kSerialReady);
        if (wasOpen)
            emit linkChanged(LinkEvent::Closed, kSerialReady);
    } else {
        setTcpChecked(true);
    }
}

void LinkController::网络_Click()
{
    if (c.网络->isChecked()) {
        const bool wasOpen = m_links.isOpen();
        m_links.setKind(Links::Kind::Tcp);
        setSerialChecked(false);
        c.ComboComm->setEnabled(false);
        c.设备IP->setEnabled(true);
        LinkOn = false;
        m_links.setOpen(false);
        c.TxtStatus->setText(kTcpReady);
        if (wasOpen)
            emit linkChanged(LinkEvent::Closed, kTcpReady);
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
    if (!tcpSelected())
        return;
    const bool wasOpen = m_links.isOpen();
    LinkOn = false;
    m_links.setOpen(false);
    c.串口->setEnabled(true);
    c.网络->setEnabled(true);
    c.搜索->setEnabled(true);
    c.ComboComm->setEnabled(true);
    c.设备IP->setEnabled(true);
    c.TxtStatus->setText(kDeviceDropped);
    m_links.tcp().close();
    SetDeviceIpHost(c.探照灯->currentText().toInt());
    if (wasOpen)
        emit linkChanged(LinkEvent::Closed, kDeviceDropped);
}

void LinkController::搜索_Click()
{
    FindSerialPorts();
}
