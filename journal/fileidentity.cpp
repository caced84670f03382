#include "journal/fileidentity.h"

#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX) && !defined(CORVANE_GENERIC_PATHS)
#define CORVANE_FILE_IDENTITY 1
#endif

#ifdef CORVANE_FILE_IDENTITY
#include <cerrno>
#include <sys/stat.h>
#endif

namespace journal {

bool namesOpenFile(const QString &path, int fd)
{
#ifdef CORVANE_FILE_IDENTITY
    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0)
        return true;
    struct stat named
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &named) != 0)
        return errno != ENOENT && errno != ENOTDIR;
    return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
#else
    Q_UNUSED(fd);
    return QFileInfo::exists(path);
#endif
}

} // namespace journal
