#pragma once

#include "linesupport.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

// The head's end of a line on a thread of its own, so that the console's frames are read and
// stamped with their arrival while the window thread is busy. Each good frame is stamped with the
// read that completed it. Given a source, it also keeps sending the source's chunks meanwhile.
class FarEnd
{
public:
    using Clock = std::chrono::steady_clock;
    struct Frame
    {
        QByteArray bytes;
        Clock::time_point at;
    };

    explicit FarEnd(int fd, std::function<QByteArray()> source = {});
    ~FarEnd();
    FarEnd(const FarEnd &) = delete;
    FarEnd &operator=(const FarEnd &) = delete;

    void stop();
    QList<Frame> frames() const;
    long long count() const { return m_count; }

private:
    void run();
    void send(const QByteArray &chunk);
    // Reads whatever comes within waitMs, and on as long as more follows.
    void take(int waitMs);

    int m_fd;
    std::function<QByteArray()> m_source;
    mutable std::mutex m_mutex;
    FrameStream m_stream{{}, true};
    QList<Frame> m_frames;
    std::atomic<long long> m_count{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread; // last: starts once everything above exists
};
