#include "farend.h"

#include <poll.h>
#include <unistd.h>

using namespace std::chrono_literals;

FarEnd::FarEnd(int fd, std::function<QByteArray()> source)
    : m_fd(fd), m_source(std::move(source)), m_thread([this] { run(); })
{
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
}

QList<FarEnd::Frame> FarEnd::frames() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

void FarEnd::run()
{
    while (!m_stop) {
        if (!m_source) {
            take(2);
            continue;
        }
        send(m_source());
        take(1);
        std::this_thread::sleep_for(3ms);
    }
}

void FarEnd::send(const QByteArray &chunk)
{
    for (qsizetype done = 0; done < chunk.size() && !m_stop;) {
        const ssize_t n = ::write(m_fd, chunk.constData() + done, size_t(chunk.size() - done));
        if (n > 0)
            done += n;
        // A full line waits for the console to read: keep reading its frames meanwhile.
        take(1);
    }
}

void FarEnd::take(int waitMs)
{
    pollfd watch{m_fd, POLLIN, 0};
    while (!m_stop && ::poll(&watch, 1, waitMs) > 0) {
        char buffer[4096];
        const ssize_t n = (watch.revents & POLLIN) ? ::read(m_fd, buffer, sizeof buffer) : -1;
        const Clock::time_point at = Clock::now();
        if (n <= 0) {
            // The console's end is gone: poll would report that at once, every time.
            std::this_thread::sleep_for(1ms);
            return;
        }
        std::lock_guard lock(m_mutex);
        const int completed = m_stream.feed(buffer, n);
        for (qsizetype i = m_stream.frames.size() - completed; i < m_stream.frames.size(); ++i)
            m_frames.append({m_stream.frames.at(i), at});
        m_count += completed;
    }
}
