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
};

// Removes day files (and only files named as day files) older than the age bound, then the
// oldest ones while all together pass the size bound. The file of keep (today's, being
// written) is never removed. Returns the names removed.
QStringList prune(const QString &folder, QDate keep, const Bounds &bounds);

} // namespace journal
