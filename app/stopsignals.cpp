#include "app/stopsignals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>

// Socket pairs and sigaction are Unix's; a build with CORVANE_GENERIC_PATHS takes the standard C
// signal() that other systems use, here too.
#if defined(Q_OS_UNIX) && !defined(CORVANE_GENERIC_PATHS)
#define CORVANE_SIGNAL_SOCKET 1
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef SIGHUP
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
#else
constexpr int kSignals[] = {SIGTERM, SIGINT};
#endif

QString nameOf(int signal)
{
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
#ifdef SIGHUP
    case SIGHUP:
        return QStringLiteral("SIGHUP");
#endif
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

#ifdef CORVANE_SIGNAL_SOCKET

// [0] is read on the window thread, [1] written by the handler; both non-blocking.
int s_socket[2] = {-1, -1};

void leaveNote(int signal)
{
    const int saved = errno;
    const unsigned char note = static_cast<unsigned char>(signal);
    // A full socket already holds notes enough to end the program.
    [[maybe_unused]] const ssize_t written = ::write(s_socket[1], &note, 1);
    errno = saved;
}

bool makeSocket()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_socket) != 0)
        return false;
    for (const int fd : s_socket) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

#else

volatile std::sig_atomic_t s_note = 0;

void leaveNote(int signal)
{
    // As SA_RESETHAND does: the next one of this kind takes the system's way.
    std::signal(signal, SIG_DFL);
    s_note = signal;
}

#endif

} // namespace

void StopSignals::catchFromNow()
{
#ifdef CORVANE_SIGNAL_SOCKET
    if (s_socket[0] >= 0 || !makeSocket())
        return;
    struct sigaction action
    {
    };
    action.sa_handler = leaveNote;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : kSignals) {
        struct sigaction before
        {
        };
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
#else
    static bool caught = false;
    if (caught)
        return;
    caught = true;
    for (const int signal : kSignals) {
        if (std::signal(signal, leaveNote) == SIG_IGN)
            std::signal(signal, SIG_IGN);
    }
#endif
}

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    catchFromNow();
#ifdef CORVANE_SIGNAL_SOCKET
    if (s_socket[0] < 0)
        return;
    m_notifier = new QSocketNotifier(s_socket[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::takeNotes);
#else
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &StopSignals::takeNotes);
    m_timer->start();
#endif
}

StopSignals::~StopSignals() = default;

void StopSignals::takeNotes()
{
#ifdef CORVANE_SIGNAL_SOCKET
    unsigned char note = 0;
    while (::read(s_socket[0], &note, 1) == 1)
        emit stopRequested(nameOf(note));
#else
    if (const int signal = s_note) {
        s_note = 0;
        emit stopRequested(nameOf(signal));
    }
#endif
}
