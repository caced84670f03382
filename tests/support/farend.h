#pragma once

#include "linesupport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The head's end of a line on a thread of its own, for tests and benchmarks alike: it reads the
// console's control frames as a head would (FrameStream) and stamps each good one with the read
// that completed it, so frames are timed on arrival while the window thread is busy. Given a
// source, it also sends the source's chunks one after another, with a pause after each, while
// sending is on. It works on a pseudo-terminal's master end or on the first connection made to a
// listening socket.
class FarEnd
{
public:
    using Clock = std::chrono::steady_clock;
    struct Frame
    {
        QByteArray bytes;
        Clock::time_point at;
    };
    // The next chunk to send.
    using Source = std::function<QByteArray()>;

    struct Options
    {
        Source source;
        std::chrono::microseconds pause{3000};
        // Whether the source is sent from the start; setSending() switches it.
        bool sending = true;
        // The one frame counted as right; good frames unlike it count as unexpected.
        QByteArray expected;
        // Every good frame is kept with its time; a long run keeps only the counts.
        bool keepFrames = true;
    };

    // On a pseudo-terminal's master end (non-blocking, not closed here), from now on.
    explicit FarEnd(int fd, Source source = {});
    FarEnd(int fd, Options options);
    // The first connection made to a listening socket becomes the far end; it is closed by
    // stop(). connected() tells when it has come.
    static std::unique_ptr<FarEnd> accepting(int listenFd, Options options);
    ~FarEnd();
    FarEnd(const FarEnd &) = delete;
    FarEnd &operator=(const FarEnd &) = delete;

    bool connected() const { return m_connected; }
    void setSending(bool on) { m_sending = on; }
    void stop();

    QList<Frame> frames() const;
    long long count() const { return m_count; }
    // The reader's counts so far: good, unexpected, wrong checksum, stray bytes, split frames.
    FrameStream counts() const;
    // CPU time of the far end's thread so far, readable from any thread.
    double cpuSeconds() const;

    // Readable once stopped.
    long long repliesSent = 0;
    long long bytesSent = 0;
    // Writes the line did not take at once: the console was not keeping up.
    long long lineFull = 0;
    // When sending last began and ended.
    Clock::time_point sendStart{};
    Clock::time_point sendEnd{};
    bool peerClosed = false;
    QString error;

private:
    FarEnd(int fd, int listenFd, Options options);
    bool accept(int listenFd);
    void run(int listenFd);
    void take(char *buffer, qsizetype n, Clock::time_point at);

    int m_fd;
    bool m_ownsFd = false;
    bool m_isSocket = false;
    Options m_options;
    mutable std::mutex m_mutex;
    FrameStream m_stream;
    QList<Frame> m_frames;
    std::atomic<long long> m_count{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_sending;
    std::atomic<bool> m_connected{false};
    clockid_t m_cpuClock{};
    std::thread m_thread; // last: starts once everything above exists
};

// A non-blocking TCP socket listening on address:port of the loopback, for a far end on a thread
// of its own; -1 and the reason when it cannot listen there.
int listenOnLoopback(const char *address, quint16 port, QString *error = nullptr);
// The same on port 4196 of the first free address among 127.0.0.first to 127.0.0.last, so that
// copies of a test can run side by side; address is the one taken.
int listenOnFreeLoopback(int first, int last, QString *address);
