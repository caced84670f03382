#include "link/seriallink.h"

#include "link/portpaths.h"

#include <QFileInfo>

namespace {

// Qt reports a port locked by another program and a device this user may not open alike, as a
// permission error. Only the first is "held": a device we have no right to is just not there.
bool deniedToUs(const QString &path)
{
    const QFileInfo device(path);
    return device.exists() && !(device.isReadable() && device.isWritable());
}

// Whether the device of a port path is there to be opened.
bool present(const QString &path)
{
#ifdef Q_OS_WIN
    // Windows names its ports (\\.\COM3): they are no files to look for.
    return !path.isEmpty();
#else
    return !path.isEmpty() && QFileInfo::exists(path);
#endif
}

} // namespace

SerialLink::SerialLink(const QString &programDir, QObject *parent)
    : Link(parent), m_programDir(programDir)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialLink::onBytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink()
{
    m_port.disconnect(this);
}

bool SerialLink::setPortNumber(int n)
{
    if (n < 1 || m_port.isOpen())
        return false;
    m_portNumber = n;
    return true;
}

void SerialLink::setSettings(const SerialSettings &settings)
{
    m_settings = settings;
    if (m_port.isOpen())
        applySettings();
}

void SerialLink::applySettings()
{
    m_port.setBaudRate(m_settings.baud);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
}

void SerialLink::discardInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void SerialLink::discardOutput()
{
    m_queued.clear();
}

void SerialLink::holdSystemPorts(portpaths::SystemPorts listed)
{
    m_listed = std::move(listed);
}

void SerialLink::letGoOfSystemPorts()
{
    m_listed.reset();
}

Link::OpenResult SerialLink::open()
{
    if (m_port.isOpen()) {
        m_lastError = QStringLiteral("port already open");
        return OpenResult::Failed;
    }
    const QString path = m_listed ? portpaths::devicePath(m_programDir, m_portNumber, *m_listed)
                                  : portpaths::devicePath(m_programDir, m_portNumber);
    // A device that is not there is not tried: the port's open would first take and sync a
    // lock file for it, which makes a search of all 36 numbers slow on a busy machine.
    if (!present(path)) {
        m_lastError = QStringLiteral("no such port");
        return OpenResult::Failed;
    }
    m_port.setPortName(path);
    applySettings();
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_lostReported = false;
    m_queued.clear();
    if (m_port.open(QIODevice::ReadWrite)) {
        m_lastError.clear();
        return OpenResult::Opened;
    }
    m_lastError = m_port.errorString();
    const bool held = m_port.error() == QSerialPort::PermissionError && !deniedToUs(path);
    m_port.clearError();
    return held ? OpenResult::Held : OpenResult::Failed;
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

void SerialLink::close()
{
    m_queued.clear();
    if (m_port.isOpen())
        m_port.close();
}

bool SerialLink::send(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    discardOutput();
    // While the port's own buffer still holds the rest of a command, the new one waits whole
    // behind it; it goes out as soon as the line has taken that rest.
    if (m_port.bytesToWrite() > 0) {
        m_queued.append(bytes);
        return true;
    }
    handOver(bytes);
    return true;
}

void SerialLink::handOver(const QByteArray &bytes)
{
    if (m_port.write(bytes) != bytes.size())
        return;
    // Hand the bytes to the driver now instead of on the next turn of the event loop, so the
    // three frames of a burst each reach the line at once.
    m_port.flush();
}

void SerialLink::onBytesWritten()
{
    if (m_port.bytesToWrite() == 0 && !m_queued.isEmpty())
        handOver(m_queued.takeFirst());
}

bool SerialLink::sendFrame(const QByteArray &bytes)
{
    return send(bytes);
}

bool SerialLink::sendText(const QByteArray &bytes)
{
    return send(bytes);
}

void SerialLink::onReadyRead()
{
    const QByteArray chunk = m_port.readAll();
    if (!chunk.isEmpty())
        emit received(chunk);
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // A read that fails on a serial device means the device has gone (an adapter pulled out,
    // the far end of a pseudo-terminal closed); Qt says ReadError or ResourceError for it.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_lostReported)
        return;
    m_lostReported = true;
    emit lost();
}
