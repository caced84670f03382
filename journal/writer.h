#pragma once

#include "journal/retention.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace journal {

// Appends journal lines to their day files on a thread of its own. append() only queues (a
// lock and a copy); the thread writes what is queued every interval, and at once when a burst
// has queued an eighth of the waiting bound, whole lines only, so a program killed at any
// moment leaves at most the last interval unwritten. A file that ends in
// the middle of a line (a kill inside a write, a full disk) gets a raw control character and a
// line end before anything else is written to it, so the cut line reads as broken and the next
// line starts whole. When writing fails the lines wait, up to a bound (the oldest go first), and
// the thread tries again every second. A day file removed or replaced while it is being written
// is made again at the next write, and that is told once.
class Writer
{
public:
    struct Settings
    {
        QString folder;
        Bounds bounds;
        std::chrono::milliseconds interval{200};
        // Lines waiting while the files cannot be written.
        qint64 waitingBytes = qint64(8) * 1024 * 1024;
    };
    // Called on the writer's thread.
    struct Events
    {
        // The first failure after writing worked (or at the first try): the file and errno.
        std::function<void(const QString &path, int error)> failed;
        // Writing works again; lost lines were dropped meanwhile.
        std::function<void(qint64 lost)> resumed;
        // Writing works, but lines came faster than the disk took them: lost were dropped.
        std::function<void(qint64 lost)> dropped;
        // Lines were written to the day's file, which is now size bytes long.
        std::function<void(QDate day, qint64 size)> written;
        // The day's file at path was gone or another file when lines were to be written to it:
        // it has been made again.
        std::function<void(QDate day, const QString &path)> restarted;
    };

    Writer(Settings settings, Events events);
    // Tries once more to write what is queued, then ends the thread.
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // line ends in '\n'.
    void append(QDate day, const QByteArray &line);
    QString dayPath(QDate day) const;

private:
    struct Batch
    {
        QDate day;
        QByteArray lines;
    };

    void run();
    // Writes the batches in order; on a failure puts back what was not written.
    bool writeOut(std::deque<Batch> &batches);
    bool openDay(QDate day);
    bool writeAll(const char *data, qint64 size, qint64 *written);
    void fail(const QString &path, int error);
    void closeFile();
    void dropOverBound();
    qint64 wakeBytes() const;

    Settings m_settings;
    Events m_events;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Batch> m_queue;
    qint64 m_queuedBytes = 0;
    qint64 m_lost = 0;
    bool m_stop = false;

    // The writer thread's own.
    int m_fd = -1;
    QDate m_fdDay;
    qint64 m_size = 0;
    qint64 m_sincePrune = 0;
    bool m_failing = false;
    std::chrono::steady_clock::time_point m_lastSync{};
    std::thread m_thread;
};

} // namespace journal
