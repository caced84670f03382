#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

// A free-running periodic tick on the window thread. On Linux it is driven by a kernel
// interval timer (timerfd) watched by the event loop, which wakes far more punctually than a
// window timer; elsewhere it is a precise QTimer. Ticks that were missed while the thread was
// busy are dropped, never delivered in a burst.
class Ticker : public QObject
{
    Q_OBJECT
public:
    Ticker(int intervalMs, QObject *parent = nullptr);
    ~Ticker() override;

signals:
    void tick();

private:
    void onReadable();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timer = nullptr;
};
