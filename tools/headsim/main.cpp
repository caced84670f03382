#include "app/runtimedir.h"
#include "tools/headsim/headsimtexts.h"
#include "tools/headsim/headwindow.h"
#include "tools/headsim/ptyport.h"
#include "tools/headsim/signalquit.h"
#include "tools/headsim/simulator.h"
#include "tools/headsim/tcplistener.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A window needs a display; --headless and --help must work without one.
bool needsWindow(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *plain : {"--headless", "--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], plain) == 0)
                return false;
        }
    }
    return true;
}

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    const bool withWindow = needsWindow(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (withWindow) {
        provideRuntimeDir();
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("corvane-headsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(headsimtexts::kDescription);
    parser.addHelpOption();
    const QCommandLineOption tcpOption(QStringLiteral("tcp"), headsimtexts::kTcpHelp,
                                       QStringLiteral("address"));
    const QCommandLineOption ptyOption(QStringLiteral("pty"), headsimtexts::kPtyHelp,
                                       QStringLiteral("path"));
    const QCommandLineOption headlessOption(QStringLiteral("headless"),
                                            headsimtexts::kHeadlessHelp);
    parser.addOptions({tcpOption, ptyOption, headlessOption});
    parser.process(*app);

    if (!parser.isSet(tcpOption) && !parser.isSet(ptyOption)) {
        printError(headsimtexts::kNoLink);
        return 2;
    }
    QHostAddress address;
    if (parser.isSet(tcpOption) && !address.setAddress(parser.value(tcpOption))) {
        printError(headsimtexts::kBadAddress.arg(parser.value(tcpOption)));
        return 2;
    }

    headsim::SignalQuit signalQuit;
    signalQuit.install();
    const headsim::SteadyClock clock;
    headsim::Simulator simulator(clock);
    if (!withWindow)
        QObject::connect(&simulator, &headsim::Simulator::lineLogged, &printLine);

    headsim::TcpListener tcp(simulator);
    if (parser.isSet(tcpOption) && !tcp.listen(address)) {
        printError(headsimtexts::kTcpFailed.arg(address.toString())
                       .arg(headsim::TcpListener::kPort)
                       .arg(tcp.errorString()));
        return 1;
    }
    headsim::PtyPort pty(simulator);
    if (parser.isSet(ptyOption) && !pty.open(parser.value(ptyOption))) {
        printError(headsimtexts::kPtyFailed.arg(parser.value(ptyOption), pty.errorString()));
        return 1;
    }

    std::unique_ptr<headsim::HeadWindow> window;
    if (withWindow) {
        window = std::make_unique<headsim::HeadWindow>(simulator);
        window->placeInCorner();
        window->show();
    }
    return app->exec();
}
