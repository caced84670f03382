#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

namespace headsim {

class Simulator;

// Listens for the console on TCP port 4196 and gives every client a byte stream of its own;
// clients may come one after another or at the same time.
class TcpListener : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kPort = 4196;

    explicit TcpListener(Simulator &simulator, QObject *parent = nullptr);

    bool listen(const QHostAddress &address);
    QString errorString() const { return m_server.errorString(); }

private:
    void onNewConnection();

    Simulator &m_simulator;
    QTcpServer m_server;
};

} // namespace headsim
