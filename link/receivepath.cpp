#include "link/receivepath.h"

#include "link/linkcontroller.h"
#include "link/logbox.h"
#include "protocol/reply.h"

#include <QTimer>

ReceivePath::ReceivePath(LinkController &link, LogBox &log, QObject *parent)
    : QObject(parent), m_link(link), m_log(log)
{
    Rtimer = new QTimer(this);
    Rtimer->setObjectName(QStringLiteral("Rtimer"));
    Rtimer->setTimerType(Qt::PreciseTimer);
    Rtimer->setInterval(kTickMs);
    connect(Rtimer, &QTimer::timeout, this, &ReceivePath::Rtimer_Timer);
    connect(&m_link.MSComm(), &Link::bytesArrived, this, &ReceivePath::MSComm_OnComm);
    connect(&m_link.网络Client(), &Link::bytesArrived, this, &ReceivePath::网络Client_DataArrival);
}

bool ReceivePath::gathering() const
{
    return Rtimer->isActive();
}

void ReceivePath::MSComm_OnComm()
{
    // More bytes while gathering change nothing: the read still comes on the third tick
    // counted from the first notification.
    if (!Rtimer->isActive())
        Rtimer->start();
}

void ReceivePath::Rtimer_Timer()
{
    ++RxTickCount;
    if (RxTickCount > 2) {
        RxTickCount = 0;
        Rtimer->stop();
        // A port closed during the gathering reads nothing, and an empty chunk is dropped.
        LogReceivedChunk(m_link.MSComm().readAll());
    }
    m_log.clearIfFull();
}

void ReceivePath::网络Client_DataArrival()
{
    LogReceivedChunk(m_link.网络Client().readAll());
}

void ReceivePath::LogReceivedChunk(const QByteArray &chunk)
{
    const protocol::ReplyLog reply = protocol::classifyReply(chunk);
    if (reply.kind == protocol::ReplyKind::Dropped)
        return;
    if (reply.completed)
        m_log.addEntry(reply.text);
    else
        m_log.addPartial(reply.text);
}
