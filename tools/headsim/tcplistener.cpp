#include "tools/headsim/tcplistener.h"

#include "tools/headsim/channel.h"
#include "tools/headsim/simulator.h"

#include <QTcpSocket>

namespace headsim {

TcpListener::TcpListener(Simulator &simulator, QObject *parent)
    : QObject(parent), m_simulator(simulator)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpListener::onNewConnection);
}

bool TcpListener::listen(const QHostAddress &address)
{
    if (!m_server.listen(address, kPort))
        return false;
    m_simulator.noteLink(QStringLiteral("tcp listening %1:%2").arg(address.toString()).arg(kPort));
    return true;
}

void TcpListener::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const QString peer =
            QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // The channel lives and dies with its socket; the server owns the socket until it is
        // closed.
        auto *channel = new Channel(m_simulator, socket);
        connect(socket, &QTcpSocket::readyRead, channel,
                [socket, channel] { channel->receive(socket->readAll()); });
        connect(channel, &Channel::reply, socket,
                [socket](const QByteArray &bytes) { socket->write(bytes); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            m_simulator.noteLink(QStringLiteral("tcp client %1 closed").arg(peer));
            socket->deleteLater();
        });
        m_simulator.noteLink(QStringLiteral("tcp client %1 connected").arg(peer));
    }
}

} // namespace headsim
