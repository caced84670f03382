#include "journal/writer.h"

#include "journal/fileidentity.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

namespace {

// A batch grows to this before a new one starts, so dropping the oldest lines stays cheap.
constexpr qsizetype kBatchBytes = 64 * 1024;
// The writer wakes before its interval is over once this share of the waiting bound is queued.
constexpr qint64 kWakeShare = 8;
// Pruning runs at each new day file and after this much was written.
constexpr qint64 kPruneEvery = qint64(16) * 1024 * 1024;
constexpr std::chrono::seconds kRetry{1};
constexpr std::chrono::seconds kSyncEvery{1};
// Ends a line that was cut short: the reader refuses a line with this character.
constexpr char kCutMark[] = "\x18\n";

} // namespace

Writer::Writer(Settings settings, Events events)
    : m_settings(std::move(settings)), m_events(std::move(events))
{
    m_thread = std::thread([this] { run(); });
}

Writer::~Writer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    closeFile();
}

QString Writer::dayPath(QDate day) const
{
    return m_settings.folder + QLatin1Char('/') + dayFileName(day);
}

qint64 Writer::wakeBytes() const
{
    return m_settings.waitingBytes / kWakeShare;
}

void Writer::append(QDate day, const QByteArray &line)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        if (m_queue.empty() || m_queue.back().day != day ||
            m_queue.back().lines.size() > kBatchBytes)
            m_queue.push_back({day, {}});
        const qint64 before = m_queuedBytes;
        m_queue.back().lines += line;
        m_queuedBytes += line.size();
        wake = before < wakeBytes() && m_queuedBytes >= wakeBytes();
        dropOverBound();
    }
    // A burst is written at once rather than at the next interval, so that lines are dropped
    // only when the disk does not take them, never for the writer's sleeping.
    if (wake)
        m_wake.notify_one();
}

void Writer::dropOverBound()
{
    // Whole batches, oldest first: lines never wait without end while the disk is full.
    while (m_queuedBytes > m_settings.waitingBytes && m_queue.size() > 1) {
        m_queuedBytes -= m_queue.front().lines.size();
        m_lost += m_queue.front().lines.count('\n');
        m_queue.pop_front();
    }
}

void Writer::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        const auto wait = m_failing ? std::chrono::milliseconds(kRetry) : m_settings.interval;
        m_wake.wait_for(lock, wait,
                        [this] { return m_stop || (!m_failing && m_queuedBytes >= wakeBytes()); });
        const bool stopping = m_stop;
        std::deque<Batch> batches;
        batches.swap(m_queue);
        m_queuedBytes = 0;
        lock.unlock();

        if (!batches.empty())
            writeOut(batches);

        lock.lock();
        if (!batches.empty()) {
            // Not written: back in front of what came meanwhile.
            for (auto it = batches.rbegin(); it != batches.rend(); ++it) {
                m_queuedBytes += it->lines.size();
                m_queue.push_front(std::move(*it));
            }
            dropOverBound();
        }
        if (stopping)
            return;
    }
}

bool Writer::writeOut(std::deque<Batch> &batches)
{
    while (!batches.empty()) {
        Batch &batch = batches.front();
        if (!openDay(batch.day))
            return false;
        qint64 written = 0;
        if (!writeAll(batch.lines.constData(), batch.lines.size(), &written)) {
            const int error = errno;
            m_size += written;
            if (written > 0 && batch.lines[written - 1] != '\n') {
                // The line cut by the failure is lost; the file is repaired when next opened.
                const qsizetype cutEnd = batch.lines.indexOf('\n', written);
                batch.lines.remove(0, cutEnd < 0 ? batch.lines.size() : cutEnd + 1);
                const std::lock_guard lock(m_mutex);
                ++m_lost;
            } else {
                batch.lines.remove(0, written);
            }
            if (batch.lines.isEmpty())
                batches.pop_front();
            const QString path = dayPath(m_fdDay);
            closeFile();
            fail(path, error);
            return false;
        }
        m_size += written;
        m_sincePrune += written;
        const QDate day = batch.day;
        batches.pop_front();
        if (m_events.written && (batches.empty() || batches.front().day != day))
            m_events.written(day, m_size);
    }

    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastSync >= kSyncEvery) {
        // Also on disk should the machine lose power, not only in the page cache.
        ::fdatasync(m_fd);
        m_lastSync = now;
    }
    qint64 lost = 0;
    {
        const std::lock_guard lock(m_mutex);
        lost = std::exchange(m_lost, 0);
    }
    if (m_failing) {
        m_failing = false;
        if (m_events.resumed)
            m_events.resumed(lost);
    } else if (lost > 0 && m_events.dropped) {
        m_events.dropped(lost);
    }
    if (m_sincePrune >= kPruneEvery) {
        m_sincePrune = 0;
        prune(m_settings.folder, m_fdDay, m_settings.bounds);
    }
    return true;
}

bool Writer::openDay(QDate day)
{
    const QString path = dayPath(day);
    bool again = false;
    if (m_fd >= 0 && m_fdDay == day) {
        // Lines written to a file no longer named would be lost to every reader.
        if (namesOpenFile(path, m_fd))
            return true;
        again = true;
    }
    closeFile();
    if (!QDir().mkpath(m_settings.folder)) {
        fail(path, ENOENT);
        return false;
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail(path, errno);
        return false;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        fail(path, error);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        fail(path, EISDIR);
        return false;
    }
    m_fd = fd;
    m_fdDay = day;
    m_size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    char last = '\n';
    if (m_size > 0 && ::pread(fd, &last, 1, m_size - 1) == 1 && last != '\n') {
        qint64 written = 0;
        if (!writeAll(kCutMark, 2, &written)) {
            const int error = errno;
            closeFile();
            fail(path, error);
            return false;
        }
        m_size += written;
    }
    // A new day file: the oldest days may have to go now.
    m_sincePrune = 0;
    prune(m_settings.folder, day, m_settings.bounds);
    if (again && m_events.restarted)
        m_events.restarted(day, path);
    return true;
}

bool Writer::writeAll(const char *data, qint64 size, qint64 *written)
{
    *written = 0;
    while (*written < size) {
        const ssize_t n = ::write(m_fd, data + *written, std::size_t(size - *written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        *written += n;
    }
    return true;
}

void Writer::fail(const QString &path, int error)
{
    if (m_failing)
        return;
    m_failing = true;
    if (m_events.failed)
        m_events.failed(path, error);
}

void Writer::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_fdDay = QDate();
}

} // namespace journal
