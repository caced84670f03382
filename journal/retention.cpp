#include "journal/retention.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace journal {

QString dayFileName(QDate day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
}

QDate dayOfFileName(const QString &name)
{
    if (name.size() != 14 || !name.endsWith(QStringLiteral(".log")))
        return {};
    const QDate day = QDate::fromString(name.left(10), QStringLiteral("yyyy-MM-dd"));
    // The round trip refuses what QDate would read leniently.
    return day.isValid() && dayFileName(day) == name ? day : QDate();
}

QStringList prune(const QString &folder, QDate keep, const Bounds &bounds)
{
    struct DayFile
    {
        QDate day;
        QString path;
        qint64 size;
    };
    std::vector<DayFile> files;
    const QFileInfoList infos =
        QDir(folder).entryInfoList({QStringLiteral("*.log")}, QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &info : infos) {
        const QDate day = dayOfFileName(info.fileName());
        if (day.isValid())
            files.push_back({day, info.filePath(), info.size()});
    }
    std::sort(files.begin(), files.end(),
              [](const DayFile &a, const DayFile &b) { return a.day < b.day; });
    qint64 total = 0;
    for (const DayFile &f : files)
        total += f.size;

    QStringList removed;
    // The newest day file before keep: a day before it, or the clock is not to be trusted.
    const auto earlier = std::find_if(files.rbegin(), files.rend(),
                                      [keep](const DayFile &f) { return f.day < keep; });
    if (earlier == files.rend() || earlier->day < keep.addDays(-1))
        return removed;
    const QDate oldestKept = keep.addDays(-bounds.days);
    const QDate alwaysKept = keep.addDays(1 - std::max(1, bounds.keptDays));
    for (const DayFile &f : files) {
        if (f.day >= alwaysKept)
            break;
        const bool tooOld = f.day < oldestKept;
        const bool tooMuch = total > bounds.totalBytes;
        if (!tooOld && !tooMuch)
            break;
        if (QFile::remove(f.path)) {
            total -= f.size;
            removed << QFileInfo(f.path).fileName();
        }
    }
    return removed;
}

} // namespace journal
