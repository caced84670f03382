#include "floodpeer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

FloodPeer::~FloodPeer()
{
    if (m_thread.joinable())
        stop();
}

void FloodPeer::stop()
{
    m_stop = true;
    m_thread.join();
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

double FloodPeer::cpuSeconds() const
{
    timespec t{};
    clock_gettime(m_cpuClock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void FloodPeer::begin(int fd, int listenFd)
{
    m_fd = fd;
    m_ownsFd = fd < 0;
    m_hasPeer = fd >= 0;
    m_thread = std::thread([this, listenFd] { run(listenFd); });
    pthread_getcpuclockid(m_thread.native_handle(), &m_cpuClock);
}

bool FloodPeer::accept(int listenFd)
{
    while (!m_stop.load()) {
        pollfd p{listenFd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        // Every reply leaves as soon as it is written, the way a controller answers.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_fd = fd;
        m_isSocket = true;
        m_hasPeer = true;
        return true;
    }
    return false;
}

void FloodPeer::run(int listenFd)
{
    if (listenFd >= 0 && !accept(listenFd))
        return;
    const QByteArray replies[] = {QByteArray::fromHex("ff01005900005a"), QByteArray("T123456llll"),
                                  QByteArray("T1234567")};
    std::size_t kind = 0;
    QByteArray pending;
    qsizetype written = 0;
    bool wasFlooding = false;
    TimePoint nextSend = Clock::now();
    while (!m_stop.load()) {
        TimePoint now = Clock::now();
        const bool flooding = m_flooding.load();
        if (flooding && !wasFlooding) {
            floodStart = now;
            nextSend = now;
        } else if (!flooding && wasFlooding) {
            floodEnd = now;
            pending.clear();
        }
        wasFlooding = flooding;

        if (flooding && pending.isEmpty() && now >= nextSend) {
            pending = replies[kind];
            kind = (kind + 1) % std::size(replies);
            written = 0;
        }
        if (!pending.isEmpty()) {
            const char *from = pending.constData() + written;
            const std::size_t size = std::size_t(pending.size() - written);
            const ssize_t n =
                m_isSocket ? ::send(m_fd, from, size, MSG_NOSIGNAL) : ::write(m_fd, from, size);
            if (n > 0) {
                bytesSent += n;
                written += n;
                if (written == pending.size()) {
                    ++repliesSent;
                    pending.clear();
                    now = Clock::now();
                    nextSend = now + std::chrono::microseconds(m_pauseUs);
                }
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                ++lineFull;
            } else if (n < 0 && errno != EINTR) {
                error = QStringLiteral("write: ") + QString::fromLocal8Bit(std::strerror(errno));
                return;
            }
        }

        // Sleep until the next reply is due, the line takes more, or the console writes.
        pollfd p{m_fd, short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        auto wait = std::chrono::nanoseconds(std::chrono::milliseconds(20));
        if (flooding && pending.isEmpty())
            wait = std::max(std::chrono::nanoseconds(0),
                            std::chrono::nanoseconds(nextSend - Clock::now()));
        const timespec timeout{time_t(wait.count() / 1000000000), long(wait.count() % 1000000000)};
        if (::ppoll(&p, 1, &timeout, nullptr) <= 0)
            continue;
        if (p.revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            const TimePoint at = Clock::now();
            if (n > 0) {
                frames.feed(buffer, std::size_t(n), at);
            } else if (n == 0) {
                peerClosed = true;
                return;
            }
        } else if (p.revents & (POLLHUP | POLLERR)) {
            peerClosed = true;
            ::usleep(1000);
        }
    }
    if (wasFlooding)
        floodEnd = Clock::now();
}

} // namespace bench
