#include "link/seriallink.h"

#include "link/portpaths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

struct LineSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

bool parseSettings(const QString &text, LineSettings *out)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return false;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity == u"N")
        s.parity = QSerialPort::NoParity;
    else if (parity == u"E")
        s.parity = QSerialPort::EvenParity;
    else if (parity == u"O")
        s.parity = QSerialPort::OddParity;
    else if (parity == u"M")
        s.parity = QSerialPort::MarkParity;
    else if (parity == u"S")
        s.parity = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);
    const QString stop = parts[3].trimmed();
    if (stop == u"1")
        s.stopBits = QSerialPort::OneStop;
    else if (stop == u"1.5")
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == u"2")
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;
    *out = s;
    return true;
}

// Qt reports a port locked by another program and a device this user may not open alike, as a
// permission error. Only the first is "held": a device we have no right to is just not there.
bool deniedToUs(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) != 0)
        return errno == EACCES || errno == EPERM || errno == EROFS;
#else
    Q_UNUSED(path);
#endif
    return false;
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

bool SerialLink::setSettings(const QString &settings)
{
    LineSettings parsed;
    if (!parseSettings(settings, &parsed))
        return false;
    m_settings = settings;
    if (m_port.isOpen()) {
        m_port.setBaudRate(parsed.baud);
        m_port.setParity(parsed.parity);
        m_port.setDataBits(parsed.dataBits);
        m_port.setStopBits(parsed.stopBits);
    }
    return true;
}

void SerialLink::setBufferSizes(int input, int output)
{
    // Kept for the record only: the console reads everything that is waiting every few
    // milliseconds, so Qt's own buffers stay unlimited and no reply byte is dropped.
    m_inputBufferSize = input;
    m_outputBufferSize = output;
}

void SerialLink::setThresholds(int receive, int transmit)
{
    m_receiveThreshold = receive;
    m_transmitThreshold = transmit;
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

SerialLink::OpenResult SerialLink::open()
{
    if (m_port.isOpen()) {
        m_lastError = QStringLiteral("port already open");
        return OpenResult::Failed;
    }
    const QString path = portpaths::devicePath(m_programDir, m_portNumber);
    // A device that is not there is not tried: the port's open would first take and sync a
    // lock file for it, which makes a search of all 36 numbers slow on a busy machine.
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        m_lastError = QStringLiteral("no such port");
        return OpenResult::Failed;
    }
    LineSettings s;
    parseSettings(m_settings, &s);
    m_port.setPortName(path);
    m_port.setBaudRate(s.baud);
    m_port.setParity(s.parity);
    m_port.setDataBits(s.dataBits);
    m_port.setStopBits(s.stopBits);
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

QByteArray SerialLink::readAll()
{
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

void SerialLink::onReadyRead()
{
    if (m_receiveThreshold > 0 && m_port.bytesAvailable() >= m_receiveThreshold)
        emit commEvent(kDataReceived);
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
