#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
class QTimer;

// A periodic tick on the window thread, on a fixed grid of intervals from its creation. On
// Linux it is driven by a kernel interval timer (timerfd) watched by the event loop, which wakes
// far more punctually than a window timer; elsewhere (and in a build with CORVANE_GENERIC_PATHS)
// it is a precise QTimer. Ticks that were
// missed while the thread was busy are dropped, never delivered in a burst.
//
// Its owner may let it rest while a tick would have nothing to do: the timer then stops waking
// the thread, and wake() brings it back on the same grid, so the next tick comes exactly when it
// would have come had the timer never rested.
class Ticker : public QObject
{
    Q_OBJECT
public:
    explicit Ticker(int intervalMs, QObject *parent = nullptr);
    ~Ticker() override;

    void rest();
    void wake();
    bool resting() const { return m_resting; }

signals:
    void tick();

private:
    void onReadable();
    bool armAtNextGridPoint();

    int m_intervalMs;
    bool m_resting = false;
    int m_fd = -1;
    long long m_originNs = 0;
    // Goes before the descriptor it watches is closed.
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer *m_timer = nullptr;
};
