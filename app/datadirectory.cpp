#include "app/datadirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#endif

namespace datadirectory {

QString choose(const QString &programDir)
{
    const QFileInfo program(programDir);
#ifdef Q_OS_WIN
    // Windows keeps permissions in access lists, which Qt reads only when asked.
    ++qt_ntfs_permission_lookup;
    const bool writable = program.isDir() && program.isWritable();
    --qt_ntfs_permission_lookup;
#else
    const bool writable = program.isDir() && program.isWritable();
#endif
    if (writable)
        return programDir;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (own.isEmpty())
        return programDir;
    // A location that cannot be made is still the right answer: the settings then fail to save
    // at exit, which the console reports, and nothing lands in the program directory.
    QDir().mkpath(own);
    return own;
}

} // namespace datadirectory
