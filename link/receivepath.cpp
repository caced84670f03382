#include "link/receivepath.h"

#include "link/link.h"
#include "link/logtext.h"
#include "protocol/reply.h"

#include <QTimer>

#include <utility>

ReceivePath::ReceivePath(const std::array<Link *, 2> &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
    Rtimer = new QTimer(this);
    Rtimer->setObjectName(QStringLiteral("Rtimer"));
    Rtimer->setTimerType(Qt::PreciseTimer);
    Rtimer->setInterval(kTickMs);
    connect(Rtimer, &QTimer::timeout, this, &ReceivePath::Rtimer_Timer);
    for (Link *link : m_links) {
        connect(link, &Link::received, this,
                [this, link](const QByteArray &chunk) { onReceived(*link, chunk); });
    }
}

void ReceivePath::onReceived(Link &link, const QByteArray &chunk)
{
    if (!link.arrivesInPieces()) {
        LogReceivedChunk(chunk);
        return;
    }
    m_gathered += chunk;
    m_gatheredFrom = &link;
    MSComm_OnComm(kDataReceived);
}

bool ReceivePath::gathering() const
{
    return Rtimer->isActive();
}

void ReceivePath::MSComm_OnComm(int code)
{
    // More bytes while gathering change nothing: the read still comes on the third tick
    // counted from the first notification.
    if (code == kDataReceived && !Rtimer->isActive())
        Rtimer->start();
}

void ReceivePath::Rtimer_Timer()
{
    ++RxTickCount;
    if (RxTickCount >= kReadTick) {
        RxTickCount = 0;
        Rtimer->stop();
        // A port closed during the gathering has nothing to read, and an empty chunk is dropped.
        const QByteArray chunk = std::exchange(m_gathered, {});
        if (m_gatheredFrom && m_gatheredFrom->isOpen())
            LogReceivedChunk(chunk);
    }
    m_log.clearIfFull();
}

void ReceivePath::discardWaiting()
{
    m_gathered.clear();
    for (Link *link : m_links)
        link->discardInput();
}

void ReceivePath::LogReceivedChunk(const QByteArray &chunk)
{
    const protocol::ReplyLog reply = protocol::classifyReply(chunk);
    if (!chunk.isEmpty())
        emit chunkClassified(chunk, reply);
    if (reply.kind == protocol::ReplyKind::Dropped)
        return;
    if (reply.completed)
        m_log.addEntry(reply.text);
    else
        m_log.addPartial(reply.text);
}
