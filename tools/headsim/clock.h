#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace headsim {

// Milliseconds on a monotonic clock. The simulator reads time only through this, so a test can
// step it without sleeping.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

// The clock of the running simulator: milliseconds since it started.
class SteadyClock final : public Clock
{
public:
    SteadyClock() { m_timer.start(); }
    qint64 nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

} // namespace headsim
