#include "app/apptexts.h"
#include "app/datadirectory.h"
#include "app/mainform.h"
#include "app/runtimedir.h"
#include "app/stopsignals.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char *argv[])
{
    // Before anything else: a request to end that comes during start-up waits for the window.
    StopSignals::catchFromNow();
    provideRuntimeDir();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    // The pictures always come from beside the executable; what the console writes goes there
    // too unless this user may not write there.
    const QString programDir = QCoreApplication::applicationDirPath();
    MainForm form(programDir, datadirectory::choose(programDir));
    QObject::connect(&form, &MainForm::exitRequested, &app,
                     [](int status) { QCoreApplication::exit(status); });

    // A shutdown, a logout, Ctrl-C or a closed terminal save what "退出程序" saves, then end.
    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, &form, [&form](const QString &name) {
        form.endOnRequest(apptexts::stopSignalCause(name));
    });
#ifndef QT_NO_SESSIONMANAGER
    // The session manager asks for the data before a logout or shutdown. Not on its request to
    // save the state: an X11 session manager asks that of every program as soon as it has
    // registered, at start-up. The window's close box still does nothing.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form](QSessionManager &) {
        form.endOnRequest(apptexts::kSessionEndsCause);
    });
#endif

    form.show();
    return app.exec();
}
