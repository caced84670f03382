#pragma once

#include "protocol/reply.h"

#include <QByteArray>
#include <QObject>

#include <array>

class Link;
class LogText;
class QTimer;

// Replies from the head, shown in the log and nothing else. On a link whose bytes arrive in
// pieces (serial) the bytes are gathered for three 10 ms ticks after the first of them and then
// logged as one chunk; on the other (TCP) what one arrival delivers is one chunk. Nothing carries
// over from one chunk to the next.
class ReceivePath : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    // The chunk is logged on this tick counted from the first notification.
    static constexpr int kReadTick = 3;
    // The receive notification's event code when bytes have arrived.
    static constexpr int kDataReceived = 2;

    ReceivePath(const std::array<Link *, 2> &links, LogText &log, QObject *parent = nullptr);

    qint16 RxTickCount = 0;
    bool gathering() const;

    void MSComm_OnComm(int code);
    void Rtimer_Timer();
    void LogReceivedChunk(const QByteArray &chunk);
    // Drops every byte that has arrived and is not logged yet, on every link.
    void discardWaiting();

signals:
    // Every chunk read, as it was sorted: also those that leave the log as it is.
    void chunkClassified(const QByteArray &chunk, const protocol::ReplyLog &reply);

private:
    void onReceived(Link &link, const QByteArray &chunk);

    std::array<Link *, 2> m_links;
    LogText &m_log;
    QTimer *Rtimer;
    // Bytes of the link that arrives in pieces, waiting for the read tick.
    QByteArray m_gathered;
    Link *m_gatheredFrom = nullptr;
};
