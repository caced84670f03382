#include "app/runtimedir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

void provideRuntimeDir()
{
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd *user = ::getpwuid(::geteuid());
    if (!user || !user->pw_name || !*user->pw_name)
        return;
    const QByteArray dir =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/runtime-")) + user->pw_name;
    ::mkdir(dir.constData(), 0700);
    struct stat info
    {
    };
    if (::lstat(dir.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 07777) != 0700)
        return;
    qputenv("XDG_RUNTIME_DIR", dir);
#endif
}
