#include "link/tcplink.h"

TcpLink::TcpLink(QObject *parent) : Link(parent)
{
    connect(&m_socket, &QTcpSocket::connected, this, &TcpLink::onConnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpLink::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpLink::onDisconnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpLink::onReadyRead);
    // Commands are a few bytes each and must not wait for an acknowledgement.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setReadBufferSize(kArrivalLimit);
}

Link::OpenResult TcpLink::open()
{
    close();
    m_socket.connectToHost(m_host, m_port);
    return OpenResult::Pending;
}

bool TcpLink::isOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void TcpLink::close()
{
    m_closing = true;
    m_socket.abort();
    m_closing = false;
    m_established = false;
}

bool TcpLink::roomFor(const QByteArray &bytes) const
{
    return m_socket.bytesToWrite() + bytes.size() <= kBacklogLimit;
}

bool TcpLink::sendFrame(const QByteArray &bytes)
{
    if (!isOpen() || !roomFor(bytes))
        return false;
    for (const char byte : bytes)
        m_socket.write(&byte, 1);
    m_socket.flush();
    return true;
}

bool TcpLink::sendText(const QByteArray &bytes)
{
    if (!isOpen() || !roomFor(bytes))
        return false;
    if (m_socket.write(bytes) != bytes.size())
        return false;
    m_socket.flush();
    return true;
}

void TcpLink::onConnected()
{
    m_established = true;
    emit opened();
}

void TcpLink::onReadyRead()
{
    const QByteArray chunk = m_socket.readAll();
    if (!chunk.isEmpty())
        emit received(chunk);
}

void TcpLink::onError(QAbstractSocket::SocketError)
{
    if (m_closing)
        return;
    if (m_established) {
        onDisconnected();
        return;
    }
    // An attempt that ended without a connection: refused, unreachable, timed out.
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        emit openFailed();
}

void TcpLink::onDisconnected()
{
    if (m_closing || !m_established)
        return;
    m_established = false;
    emit lost();
}
