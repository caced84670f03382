#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Which day files of the journal folder are kept.
namespace journal {

// The day file's name: "YYYY-MM-DD.log".
QString dayFileName(QDate day);
// The day a file name stands for; invalid for any other name.
QDate dayOfFileName(const QString &name);

struct Bounds
{
    // All day files together; past it the oldest days go first.
    qint64 totalBytes = qint64(200) * 1024 * 1024;
    // A day file older than this many days goes, whatever the size.
    int days = 366;
    // The newest days, the one being written among them, that neither bound removes.
    int keptDays = 30;
    // Past this, a day's file takes the replies only as one summary a minute.
    qint64 dayBytes = qint64(50) * 1024 * 1024;
};

// Removes day files (and only files named as day files) older than the age bound, then the
// oldest ones while all together pass the size bound. The age is counted from keep, the day
// being written, but only while the newest earlier day file is the day before it: when keep is
// further ahead of it (a clock set ahead, or the console switched off for days) nothing is
// removed, so that a wrong clock cannot take the history; after a gap, pruning waits for the
// second day. The keptDays up to keep, and any day file after it, are never removed. Returns
// the names removed.
QStringList prune(const QString &folder, QDate keep, const Bounds &bounds);

} // namespace journal
