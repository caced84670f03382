// The floor the console's start-up is measured against: a bare Qt Widgets window of the
// console's client size and nothing in it, started and timed exactly as the console's start-up
// child is (bench/startup.cpp starts both, turn about). It links Qt Widgets and nothing of the
// console, so what it loads is what any Qt Widgets program loads.
//
//   bare_window [--maps]
//
// Built a second time as bare_window_libs, which also loads the other Qt libraries the console
// links (network, serial port, SQL), to tell what loading them costs from what the console does.
//
// Prints the STARTUP line of startupwatch.h once the window is exposed and painted, then
// leaves; with --maps, its mappings after that line.
#include "startupwatch.h"

#include "ui/twips.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cstring>

#ifdef BARE_WINDOW_LINKS_CONSOLE_LIBRARIES
#include <QSerialPort>
#include <QSqlDatabase>
#include <QTcpSocket>

// Referred to, never used, so that the linker keeps the libraries as the console's needs.
extern const void *const kConsoleLibraries[];
const void *const kConsoleLibraries[] = {&QTcpSocket::staticMetaObject,
                                         &QSerialPort::staticMetaObject,
                                         reinterpret_cast<const void *>(&QSqlDatabase::drivers)};
#endif

int main(int argc, char **argv)
{
    const long long mainNs = bench::nowNs();
    QApplication app(argc, argv);
    const long long appNs = bench::nowNs();

    // The console's client area: 15435 x 8265 twips.
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(twips::size(15435, 8265));
    bench::StartupWatch watch(&window, mainNs, appNs);
    watch.printMaps = argc >= 2 && std::strcmp(argv[1], "--maps") == 0;
    watch.finish = [] { QCoreApplication::exit(0); };
    watch.windowBuilt();
    app.installEventFilter(&watch);
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(3); });

    window.show();
    watch.shown();
    return app.exec();
}
