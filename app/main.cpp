#include "app/datadirectory.h"
#include "app/mainform.h"
#include "app/runtimedir.h"

#include <QApplication>

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
