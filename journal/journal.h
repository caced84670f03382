#pragma once

#include "journal/entry.h"
#include "journal/retention.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace journal {

class Writer;

// The console's journal: entries stamped by the console's clock and handed to the writer,
// which puts them in <data directory>/journal/YYYY-MM-DD.log off the window thread. What it
// hears back from the writer comes through the event loop as signals.
class Journal : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // clock is the console's clock (an empty one is the wall clock).
    Journal(const QString &dataDir, Clock clock, QObject *parent = nullptr,
            const Bounds &bounds = {});
    ~Journal() override;

    QString folder() const { return m_folder; }
    QString dayPath(QDate day) const;
    QDateTime now() const;

    void record(Kind kind, int device, const QString &event, const QString &cause = {},
                const QString &detail = {});
    void record(const Entry &entry);

    // Called before the first entry of a new day (by the entries' dates) is written, to write
    // what goes on from the day before.
    void setDayBegins(std::function<void(QDate day)> begins) { m_dayBegins = std::move(begins); }

    // While off, entries are dropped: only for measuring what the journal costs.
    void setRecording(bool on) { m_recording = on; }

    // The file of the day being written has passed Bounds::dayBytes, as the writer last told:
    // from then on replies go in only as a summary a minute.
    bool dayFull() const;
    qint64 dayBytes() const { return m_bounds.dayBytes; }

signals:
    // The journal could not be written: the message for the operator, once until it works again.
    void cannotWrite(const QString &message);
    // A day file has grown to size bytes.
    void written(QDate day, qint64 size);
    // The day's file was removed or replaced while it was being written and has been made
    // again: the message for the operator. Its entry is in the new file.
    void restarted(QDate day, const QString &message);

private:
    QString m_folder;
    Clock m_clock;
    Bounds m_bounds;
    QDate m_writtenDay;
    qint64 m_writtenSize = 0;
    bool m_recording = true;
    QDate m_day;
    std::function<void(QDate)> m_dayBegins;
    std::unique_ptr<Writer> m_writer;
};

// The operator's words for why the journal could not write (an errno).
QString reasonText(int error);

} // namespace journal
