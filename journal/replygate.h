#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

namespace journal {

// Keeps a flood of replies from growing the journal without bound: in each one-second window
// (opened by the first chunk after the last window ended) the first kPerSecond chunks are
// entered one by one; the rest are only counted, by kind, and summed up in one entry when the
// window is over. So replies add at most kPerSecond + 1 lines a second, however fast they come.
// Per minute (once the day's file has passed its size cap) no chunk is entered one by one and a
// window lasts a minute: one line a minute.
// It goes by a steady clock in milliseconds, which costs nothing to read: the console's clock
// is read only for the entries themselves.
class ReplyGate
{
public:
    static constexpr int kPerSecond = 10;
    static constexpr qint64 kWindowMs = 1000;
    static constexpr qint64 kMinuteWindowMs = 60000;
    // protocol::ReplyKind has five values.
    static constexpr int kKinds = 5;

    struct Summary
    {
        qint64 chunks = 0;
        qint64 bytes = 0;
        std::array<qint64, kKinds> byKind{};
        // The window the chunks were counted in.
        qint64 windowMs = kWindowMs;
    };

    // Switches between a second's and a minute's window; the next chunk opens a new one. Take
    // the summary first: what is held belongs to the window before.
    void setPerMinute(bool on);
    bool perMinute() const { return m_perMinute; }
    qint64 windowMs() const { return m_perMinute ? kMinuteWindowMs : kWindowMs; }

    // True: enter this chunk. False: it is counted for its window's summary.
    bool admit(qint64 steadyMs, int kind, qint64 bytes);
    // The summary of the chunks held back, once their window is over (or at once when now):
    // nothing when none was held back.
    std::optional<Summary> takeSummary(qint64 steadyMs, bool now = false);

private:
    qint64 m_windowStart = 0;
    bool m_open = false;
    int m_admitted = 0;
    bool m_perMinute = false;
    Summary m_held;
};

} // namespace journal
