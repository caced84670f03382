#include "link/receivepath.h"

#include "link/links.h"
#include "link/logtext.h"
#include "protocol/reply.h"

#include <QTimer>

ReceivePath::ReceivePath(Links &links, LogText &log, QObject *parent)
    : QObject(parent), m_links(links), m_log(log)
{
    Rtimer = new QTimer(this);
    Rtimer->setObjectName(QStringLiteral("Rtimer"));
    Rtimer->setTimerType(Qt::PreciseTimer);
    Rtimer->setInterval(kTickMs);
    connect(Rtimer, &QTimer::timeout, this, &ReceivePath::Rtimer_Timer);
    connect(&m_links.serial(), &SerialLink::commEvent, this, &ReceivePath::MSComm_OnComm);
    connect(&m_links.tcp(), &TcpLink::received, this, &ReceivePath::LogReceivedChunk);
}

bool ReceivePath::gathering() const
{
    return Rtimer->isActive();
}

void ReceivePath::MSComm_OnComm(int code)
{
    // More bytes while gathering change nothing: the read still comes on the third tick
    // counted from the first notification.
    if (code == SerialLink::kDataReceived && !Rtimer->isActive())
        Rtimer->start();
}

void ReceivePath::Rtimer_Timer()
{
    ++RxTickCount;
    if (RxTickCount >= kReadTick) {
        RxTickCount = 0;
        Rtimer->stop();
        // A port closed during the gathering reads nothing, and an empty chunk is dropped.
        LogReceivedChunk(m_links.serial().readAll());
    }
    m_log.clearIfFull();
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
