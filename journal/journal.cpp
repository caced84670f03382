#include "journal/journal.h"

#include "journal/journaltexts.h"
#include "journal/writer.h"

#include <cerrno>
#include <cstring>

namespace journal {

QString reasonText(int error)
{
    using namespace journaltexts;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return kReasonDiskFull;
    case EACCES:
    case EPERM:
        return kReasonNoPermission;
    case EROFS:
        return kReasonReadOnly;
    case ENOENT:
    case ENOTDIR:
        return kReasonNoFolder;
    case EISDIR:
        return kReasonIsFolder;
    default:
        return kReasonOther.arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

Journal::Journal(const QString &dataDir, Clock clock, QObject *parent, const Bounds &bounds)
    : QObject(parent), m_folder(dataDir + QStringLiteral("/journal")), m_clock(std::move(clock)),
      m_bounds(bounds)
{
    Writer::Events events;
    // These run on the writer's thread; the queued calls bring them to this object's.
    events.failed = [this](const QString &path, int error) {
        const QString message = journaltexts::kCannotWrite.arg(path, reasonText(error));
        QMetaObject::invokeMethod(
            this, [this, message] { emit cannotWrite(message); }, Qt::QueuedConnection);
    };
    events.resumed = [this](qint64 lost) {
        QMetaObject::invokeMethod(
            this,
            [this, lost] {
                record(Kind::Program, -1, journaltexts::kResumed, {},
                       journaltexts::kResumedDetail.arg(lost));
            },
            Qt::QueuedConnection);
    };
    events.dropped = [this](qint64 lost) {
        QMetaObject::invokeMethod(
            this,
            [this, lost] {
                record(Kind::Program, -1, journaltexts::kDropped, {},
                       journaltexts::kDroppedDetail.arg(lost));
            },
            Qt::QueuedConnection);
    };
    events.written = [this](QDate day, qint64 size) {
        QMetaObject::invokeMethod(
            this,
            [this, day, size] {
                m_writtenDay = day;
                m_writtenSize = size;
                emit written(day, size);
            },
            Qt::QueuedConnection);
    };
    events.restarted = [this](QDate day, const QString &path) {
        QMetaObject::invokeMethod(
            this,
            [this, day, path] {
                record(Kind::Program, -1, journaltexts::kFileRestarted, {}, path);
                emit restarted(day, journaltexts::kRestartedMessage.arg(path));
            },
            Qt::QueuedConnection);
    };
    m_writer = std::make_unique<Writer>(Writer::Settings{m_folder, bounds}, std::move(events));
}

Journal::~Journal() = default;

QString Journal::dayPath(QDate day) const
{
    return m_writer->dayPath(day);
}

bool Journal::dayFull() const
{
    return m_writtenDay.isValid() && m_writtenDay == m_day && m_writtenSize >= m_bounds.dayBytes;
}

QDateTime Journal::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void Journal::record(Kind kind, int device, const QString &event, const QString &cause,
                     const QString &detail)
{
    record(stamped(now(), kind, device, event, cause, detail));
}

void Journal::record(const Entry &entry)
{
    if (!m_recording)
        return;
    if (entry.day != m_day) {
        const bool newDay = m_day.isValid() && entry.day > m_day;
        m_day = entry.day;
        if (newDay && m_dayBegins)
            m_dayBegins(entry.day);
    }
    m_writer->append(entry.day, toLine(entry));
}

} // namespace journal
