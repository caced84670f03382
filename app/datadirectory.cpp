#include "app/datadirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace datadirectory {

QString choose(const QString &programDir)
{
    const QFileInfo program(programDir);
    if (program.isDir() && program.isWritable())
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
