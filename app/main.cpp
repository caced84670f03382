#include "app/datadirectory.h"
#include "app/mainform.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Without XDG_RUNTIME_DIR (root on a console, su, a bare container) Qt says so on standard
// error at every start and then uses <temp>/runtime-<user>. Nothing there for an operator to
// do, so that same directory is named up front, made private to this user as Qt would make it.
// A directory of that name that is not this user's own is left for Qt to refuse.
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

} // namespace

int main(int argc, char *argv[])
{
    provideRuntimeDir();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    // The pictures always come from beside the executable; what the console writes goes there
    // too unless this user may not write there.
    const QString programDir = QCoreApplication::applicationDirPath();
    MainForm form(programDir, datadirectory::choose(programDir));
    QObject::connect(&form, &MainForm::exitRequested, &app, [] { QCoreApplication::exit(0); });
    form.show();
    return app.exec();
}
