#pragma once

#include "benchsupport.h"

#include <QString>

#include <atomic>
#include <ctime>
#include <thread>

namespace bench {

// The head's end of one link, on a thread of its own: it reads and times every control frame
// the console sends and, while flooding, answers with replies in turn (a 7-byte frame, the
// 11-byte "T123456llll" and the 8-byte "T1234567"), pausing after each one.
class FloodPeer
{
public:
    // expected is the frame the reader counts as right; others count as unexpected.
    explicit FloodPeer(int pauseUs, QByteArray expected = upFrameAt01())
        : frames(std::move(expected)), m_pauseUs(pauseUs)
    {
    }
    ~FloodPeer();
    FloodPeer(const FloodPeer &) = delete;
    FloodPeer &operator=(const FloodPeer &) = delete;

    // The far end is the master of a pseudo-terminal (non-blocking; not closed here).
    void startOn(int fd) { begin(fd, -1); }
    // The far end is the first connection made to the listening socket (closed by stop()).
    void startAccepting(int listenFd) { begin(-1, listenFd); }
    bool hasPeer() const { return m_hasPeer.load(); }
    void setFlooding(bool on) { m_flooding = on; }
    void stop();
    // CPU time of the peer thread so far, readable from the GUI thread.
    double cpuSeconds() const;

    // Valid after stop().
    JogFrameStream frames;
    long long repliesSent = 0;
    long long bytesSent = 0;
    // Writes the line did not take at once (EAGAIN): the console was not keeping up.
    long long lineFull = 0;
    TimePoint floodStart{};
    TimePoint floodEnd{};
    bool peerClosed = false;
    QString error;

private:
    void begin(int fd, int listenFd);
    bool accept(int listenFd);
    void run(int listenFd);

    int m_pauseUs;
    int m_fd = -1;
    bool m_ownsFd = false;
    bool m_isSocket = false;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_flooding{false};
    std::atomic<bool> m_hasPeer{false};
    clockid_t m_cpuClock{};
};

} // namespace bench
