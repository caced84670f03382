// The floor the jog benchmark measures the console against: a kernel interval timer and nothing
// else, writing the seven bytes of the "up" frame to a pseudo-terminal at every expiry, the
// way the console's jog scan writes its frame at every tick. Plain C++ with no Qt and no event
// loop: a blocking read of the timer, then the write.
//
//   bare_timer <tty> <first expiry, ns of the monotonic clock> <interval ms> <lifetime s>
//
// It prints "BARE-TIMER ready" once the timer is armed and, when it is ended by SIGTERM (or its
// lifetime is over), one line with what it did: "BARE-TIMER writes=N missed=M short=S", where
// missed counts the expiries that had already passed unseen when the timer was read (the
// process was kept off a CPU for more than a whole interval) and short the writes the line did
// not take whole.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onTerm(int)
{
    g_stop = 1;
}

timespec asTimespec(long long ns)
{
    return {time_t(ns / 1000000000LL), long(ns % 1000000000LL)};
}

long long monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

int fail(const char *what)
{
    std::printf("BARE-TIMER-ERROR %s: %s\n", what, std::strerror(errno));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::printf("BARE-TIMER-ERROR usage: bare_timer <tty> <first expiry ns> <interval ms> "
                    "<lifetime s>\n");
        return 2;
    }
    // Never outlive the benchmark that started it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    struct sigaction term
    {
    };
    term.sa_handler = onTerm;
    // No SA_RESTART: SIGTERM interrupts the blocking read of the timer.
    ::sigaction(SIGTERM, &term, nullptr);

    const long long firstNs = std::atoll(argv[2]);
    const long long intervalNs = std::atoll(argv[3]) * 1000000LL;
    const long long endNs = monotonicNs() + std::atoll(argv[4]) * 1000000000LL;
    if (intervalNs <= 0)
        return fail("interval");

    // The line set up as the console's serial port sets up its own: raw, nothing translated.
    const int tty = ::open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return fail("open");
    termios mode{};
    if (::tcgetattr(tty, &mode) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&mode);
    ::cfsetispeed(&mode, B9600);
    ::cfsetospeed(&mode, B9600);
    if (::tcsetattr(tty, TCSANOW, &mode) != 0)
        return fail("tcsetattr");

    const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    if (timer < 0)
        return fail("timerfd_create");
    itimerspec period{};
    period.it_interval = asTimespec(intervalNs);
    period.it_value = asTimespec(firstNs);
    if (::timerfd_settime(timer, TFD_TIMER_ABSTIME, &period, nullptr) != 0)
        return fail("timerfd_settime");
    std::printf("BARE-TIMER ready\n");
    std::fflush(stdout);

    static const unsigned char frame[] = {0xFF, 0x01, 0x00, 0x08, 0x00, 0x3F, 0x48};
    long long writes = 0;
    long long missed = 0;
    long long shortWrites = 0;
    while (!g_stop && monotonicNs() < endNs) {
        std::uint64_t expirations = 0;
        const ssize_t n = ::read(timer, &expirations, sizeof expirations);
        if (n != sizeof expirations) {
            if (n < 0 && errno == EINTR)
                continue;
            return fail("read of the timer");
        }
        missed += (long long)expirations - 1;
        const ssize_t written = ::write(tty, frame, sizeof frame);
        if (written == ssize_t(sizeof frame))
            ++writes;
        else if (written >= 0 || errno != EINTR)
            ++shortWrites;
    }
    std::printf("BARE-TIMER writes=%lld missed=%lld short=%lld\n", writes, missed, shortWrites);
    std::fflush(stdout);
    ::close(timer);
    ::close(tty);
    return 0;
}
