#include "control/ticker.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

Ticker::Ticker(int intervalMs, QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        itimerspec period{};
        period.it_interval.tv_sec = intervalMs / 1000;
        period.it_interval.tv_nsec = long(intervalMs % 1000) * 1000000L;
        period.it_value = period.it_interval;
        if (::timerfd_settime(m_fd, 0, &period, nullptr) == 0) {
            m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &Ticker::onReadable);
            return;
        }
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(intervalMs);
    connect(m_timer, &QTimer::timeout, this, &Ticker::tick);
    m_timer->start();
}

Ticker::~Ticker()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
#endif
}

void Ticker::onReadable()
{
#ifdef Q_OS_LINUX
    // The count of expirations since the last read: however many, one tick.
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) != sizeof expirations)
        return;
#endif
    emit tick();
}
