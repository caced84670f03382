#include "control/ticker.h"

#include <QSocketNotifier>
#include <QTimer>

// The kernel interval timer is Linux's; a build with CORVANE_GENERIC_PATHS takes the window timer
// that other systems use, here too.
#if defined(Q_OS_LINUX) && !defined(CORVANE_GENERIC_PATHS)
#define CORVANE_TIMERFD 1
#endif

#ifdef CORVANE_TIMERFD
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

long long monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

timespec asTimespec(long long ns)
{
    return {time_t(ns / 1000000000LL), long(ns % 1000000000LL)};
}

} // namespace
#endif

Ticker::Ticker(int intervalMs, QObject *parent) : QObject(parent), m_intervalMs(intervalMs)
{
#ifdef CORVANE_TIMERFD
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_originNs = monotonicNs();
        if (armAtNextGridPoint()) {
            m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
            connect(m_notifier.get(), &QSocketNotifier::activated, this, &Ticker::onReadable);
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
#ifdef CORVANE_TIMERFD
    if (m_fd >= 0) {
        m_notifier.reset();
        ::close(m_fd);
    }
#endif
}

bool Ticker::armAtNextGridPoint()
{
#ifdef CORVANE_TIMERFD
    const long long interval = m_intervalMs * 1000000LL;
    const long long since = monotonicNs() - m_originNs;
    const long long next = m_originNs + (since / interval + 1) * interval;
    itimerspec period{};
    period.it_interval = asTimespec(interval);
    period.it_value = asTimespec(next);
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &period, nullptr) == 0;
#else
    return false;
#endif
}

void Ticker::rest()
{
    if (m_resting)
        return;
    m_resting = true;
#ifdef CORVANE_TIMERFD
    if (m_fd >= 0) {
        const itimerspec stopped{};
        ::timerfd_settime(m_fd, 0, &stopped, nullptr);
        return;
    }
#endif
    m_timer->stop();
}

void Ticker::wake()
{
    if (!m_resting)
        return;
    m_resting = false;
#ifdef CORVANE_TIMERFD
    if (m_fd >= 0) {
        armAtNextGridPoint();
        return;
    }
#endif
    m_timer->start();
}

void Ticker::onReadable()
{
#ifdef CORVANE_TIMERFD
    // The count of expirations since the last read: however many, one tick.
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) != sizeof expirations)
        return;
#endif
    if (!m_resting)
        emit tick();
}
