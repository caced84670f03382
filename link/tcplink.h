#pragma once

#include "link/link.h"

#include <QTcpSocket>

// The TCP connection to the head controller (port 4196 of the address in the IP box). Each
// arrival is handed on whole, as one chunk, up to kArrivalLimit bytes: a flood is taken a piece
// per turn of the event loop, so the jog's ticks and the operator's clicks come between.
class TcpLink : public Link
{
    Q_OBJECT
public:
    static constexpr quint16 kRemotePort = 4196;
    // A peer that stops reading must not make the console hoard commands: beyond this many
    // bytes waiting to go out, new commands are dropped whole.
    static constexpr qint64 kBacklogLimit = 64 * 1024;
    // The most bytes read from the socket at one arrival; the rest waits in the system's buffer
    // (and, once that is full, at the peer) for the next.
    static constexpr qint64 kArrivalLimit = 64 * 1024;

    explicit TcpLink(QObject *parent = nullptr);

    void setRemoteHost(const QString &host) { m_host = host; }
    QString remoteHost() const { return m_host; }
    void setRemotePort(quint16 port) { m_port = port; }
    quint16 remotePort() const { return m_port; }
    // Starts connecting to the remote host and port: always pending, and opened() or
    // openFailed() follows.
    OpenResult open() override;
    bool isOpen() const override;
    void close() override;
    // One send per byte, in order; they reach the peer as one continuous run.
    bool sendFrame(const QByteArray &bytes) override;
    bool sendText(const QByteArray &bytes) override;

private:
    bool roomFor(const QByteArray &bytes) const;
    void onConnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();

    QTcpSocket m_socket;
    QString m_host;
    quint16 m_port = kRemotePort;
    bool m_established = false;
    bool m_closing = false;
};
