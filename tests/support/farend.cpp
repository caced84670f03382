#include "farend.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

FarEnd::FarEnd(int fd, Source source) : FarEnd(fd, -1, Options{std::move(source)}) {}

FarEnd::FarEnd(int fd, Options options) : FarEnd(fd, -1, std::move(options)) {}

FarEnd::FarEnd(int fd, int listenFd, Options options)
    : m_fd(fd), m_ownsFd(fd < 0), m_options(std::move(options)),
      m_stream(m_options.expected, m_options.keepFrames), m_sending(m_options.sending),
      m_connected(fd >= 0), m_thread([this, listenFd] { run(listenFd); })
{
    pthread_getcpuclockid(m_thread.native_handle(), &m_cpuClock);
}

std::unique_ptr<FarEnd> FarEnd::accepting(int listenFd, Options options)
{
    return std::unique_ptr<FarEnd>(new FarEnd(-1, listenFd, std::move(options)));
}

FarEnd::~FarEnd()
{
    stop();
}

void FarEnd::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QList<FarEnd::Frame> FarEnd::frames() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

FrameStream FarEnd::counts() const
{
    std::lock_guard lock(m_mutex);
    return m_stream;
}

double FarEnd::cpuSeconds() const
{
    timespec t{};
    clock_gettime(m_cpuClock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

bool FarEnd::accept(int listenFd)
{
    while (!m_stop) {
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
        m_connected = true;
        return true;
    }
    return false;
}

void FarEnd::take(char *buffer, qsizetype n, Clock::time_point at)
{
    std::lock_guard lock(m_mutex);
    const qsizetype before = m_stream.frames.size();
    const int completed = m_stream.feed(buffer, n);
    if (m_options.keepFrames) {
        for (qsizetype i = before; i < m_stream.frames.size(); ++i)
            m_frames.append({m_stream.frames.at(i), at});
    }
    m_count += completed;
}

void FarEnd::run(int listenFd)
{
    if (listenFd >= 0 && !accept(listenFd))
        return;
    QByteArray pending;
    qsizetype written = 0;
    bool wasSending = false;
    Clock::time_point nextSend = Clock::now();
    while (!m_stop) {
        Clock::time_point now = Clock::now();
        const bool sending = m_options.source && m_sending;
        if (sending && !wasSending) {
            sendStart = now;
            nextSend = now;
        } else if (!sending && wasSending) {
            sendEnd = now;
            pending.clear();
        }
        wasSending = sending;

        if (sending && pending.isEmpty() && now >= nextSend) {
            pending = m_options.source();
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
                    nextSend = now + m_options.pause;
                }
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                ++lineFull;
            } else if (n < 0 && errno != EINTR) {
                error = QStringLiteral("write: ") + QString::fromLocal8Bit(std::strerror(errno));
                return;
            }
        }

        // Sleep until the next chunk is due, the line takes more, or the console writes.
        pollfd p{m_fd, short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        auto wait = std::chrono::nanoseconds(20ms);
        if (sending && pending.isEmpty())
            wait = std::max(std::chrono::nanoseconds(0),
                            std::chrono::nanoseconds(nextSend - Clock::now()));
        const timespec timeout{time_t(wait.count() / 1000000000), long(wait.count() % 1000000000)};
        if (::ppoll(&p, 1, &timeout, nullptr) <= 0)
            continue;
        if (p.revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            const Clock::time_point at = Clock::now();
            if (n > 0) {
                take(buffer, n, at);
            } else if (n == 0 && m_isSocket) {
                peerClosed = true;
                return;
            } else {
                // The console's end of the pseudo-terminal is gone: poll says so at once, every
                // time, until it comes back.
                peerClosed = true;
                std::this_thread::sleep_for(1ms);
            }
        } else if (p.revents & (POLLHUP | POLLERR)) {
            peerClosed = true;
            std::this_thread::sleep_for(1ms);
        }
    }
    if (wasSending)
        sendEnd = Clock::now();
}

int listenOnLoopback(const char *address, quint16 port, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why + QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    };
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(QStringLiteral("socket: "));
    // An earlier run's closed connections do not hold the address.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (::inet_pton(AF_INET, address, &where.sin_addr) != 1) {
        ::close(fd);
        errno = EINVAL;
        return fail(QStringLiteral("bad address %1: ").arg(QString::fromLatin1(address)));
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) != 0 ||
        ::listen(fd, 4) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        return fail(
            QStringLiteral("listen on %1:%2: ").arg(QString::fromLatin1(address)).arg(port));
    }
    return fd;
}

int listenOnFreeLoopback(int first, int last, QString *address)
{
    for (int host = first; host <= last; ++host) {
        *address = QStringLiteral("127.0.0.%1").arg(host);
        const int fd = listenOnLoopback(qPrintable(*address), 4196);
        if (fd >= 0)
            return fd;
    }
    return -1;
}
