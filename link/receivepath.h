#pragma once

#include <QByteArray>
#include <QObject>

class LinkController;
class LogBox;
class QTimer;

// Replies from the head, shown in the log and nothing else. The serial link gathers bytes for
// three 10 ms ticks after the first one arrives and then reads them all; TCP takes what one
// arrival delivers. Nothing carries over from one chunk to the next.
class ReceivePath : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;

    ReceivePath(LinkController &link, LogBox &log, QObject *parent = nullptr);

    qint16 RxTickCount = 0;
    bool gathering() const;

    void MSComm_OnComm();
    void Rtimer_Timer();
    void 网络Client_DataArrival();
    void LogReceivedChunk(const QByteArray &chunk);

private:
    LinkController &m_link;
    LogBox &m_log;
    QTimer *Rtimer;
};
