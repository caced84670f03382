#include "tools/headsim/signalquit.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace headsim {

#ifdef Q_OS_UNIX

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_wake[2] = {-1, -1};

} // namespace

SignalQuit::SignalQuit(QObject *parent) : QObject(parent) {}

SignalQuit::~SignalQuit()
{
    m_notifier.reset();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    for (int &fd : g_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

bool SignalQuit::install()
{
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_wake) != 0)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(g_wake[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalQuit::onWoken);
    struct sigaction action
    {
    };
    action.sa_handler = &SignalQuit::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void SignalQuit::onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(g_wake[0], &byte, 1);
}

void SignalQuit::onWoken()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(g_wake[1], &byte, 1);
    QCoreApplication::quit();
}

#else

// Elsewhere Ctrl-C ends the program the system's own way; there is no link file to remove.
SignalQuit::SignalQuit(QObject *parent) : QObject(parent) {}

SignalQuit::~SignalQuit() = default;

bool SignalQuit::install()
{
    return true;
}

void SignalQuit::onSignal(int) {}

void SignalQuit::onWoken() {}

#endif

} // namespace headsim
