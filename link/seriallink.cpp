#include "link/seriallink.h"

#include "link/portpaths.h"

#include <QStringList>

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

} // namespace

SerialLink::SerialLink(const QString &programDir, QObject *parent)
    : Link(parent), m_programDir(programDir)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
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
    if (m_port.isOpen() && m_port.bytesToWrite() > 0)
        m_port.clear(QSerialPort::Output);
}

SerialLink::OpenResult SerialLink::open()
{
    if (m_port.isOpen()) {
        m_lastError = QStringLiteral("port already open");
        return OpenResult::Failed;
    }
    const QString path = portpaths::devicePath(m_programDir, m_portNumber);
    if (path.isEmpty()) {
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
    if (m_port.open(QIODevice::ReadWrite)) {
        m_lastError.clear();
        return OpenResult::Opened;
    }
    m_lastError = m_port.errorString();
    const bool held = m_port.error() == QSerialPort::PermissionError;
    m_port.clearError();
    return held ? OpenResult::Held : OpenResult::Failed;
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

void SerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the driver now instead of on the next turn of the event loop, so the
    // three frames of a burst each reach the line whole.
    m_port.flush();
    return true;
}

bool SerialLink::sendFrame(const QByteArray &bytes)
{
    discardOutput();
    return write(bytes);
}

bool SerialLink::sendText(const QByteArray &bytes)
{
    discardOutput();
    return write(bytes);
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
        emit bytesArrived();
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
