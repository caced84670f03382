#pragma once

#include <QByteArray>
#include <QObject>

class Links;
class LogText;
class QTimer;

// Replies from the head, shown in the log and nothing else. The serial link gathers bytes for
// three 10 ms ticks after the first one arrives and then reads them all; TCP takes what one
// arrival delivers. Nothing carries over from one chunk to the next.
class ReceivePath : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    // The read comes on this tick counted from the first notification.
    static constexpr int kReadTick = 3;

    ReceivePath(Links &links, LogText &log, QObject *parent = nullptr);

    qint16 RxTickCount = 0;
    bool gathering() const;

    void MSComm_OnComm(int code);
    void Rtimer_Timer();
    void LogReceivedChunk(const QByteArray &chunk);

private:
    Links &m_links;
    LogText &m_log;
    QTimer *Rtimer;
};
