// A head that answers without pause while "up" is held, first on the serial link and then on
// TCP: whether the console's clock and jog scan keep time while replies pour in.
#include "benchsupport.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/jogcontrol.h"
#include "link/links.h"
#include "link/receivepath.h"
#include "ui/logbox.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kHoldMs = 10000;
constexpr int kComPort = 7;
constexpr const char *kPeerAddress = "127.0.0.42";
constexpr std::uint16_t kPeerPort = 4196;
constexpr int kDefaultPauseUs = 200;
constexpr double kClockMs = 100.0;
constexpr double kMaxLateMs = 50.0;
constexpr double kMinJogRate = 99.0;

// The head's end of one link: a thread that floods the console with replies and times its jogs.
class FloodPeer
{
public:
    explicit FloodPeer(int pauseUs) : jog(upFrameAt01()), m_pauseUs(pauseUs) {}
    ~FloodPeer()
    {
        if (m_thread.joinable())
            stop();
    }

    // The far end is the master of a pseudo-terminal (non-blocking; not closed here).
    void startOn(int fd) { begin(fd, -1); }
    // The far end is the first connection made to the listening socket (closed by stop()).
    void startAccepting(int listenFd) { begin(-1, listenFd); }
    bool hasPeer() const { return m_hasPeer.load(); }
    void setFlooding(bool on) { m_flooding = on; }
    void stop()
    {
        m_stop = true;
        m_thread.join();
        if (m_ownsFd && m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    double cpuSeconds() const
    {
        timespec t{};
        clock_gettime(m_cpuClock, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }

    // Valid after stop().
    JogFrameStream jog;
    long long repliesSent = 0;
    long long bytesSent = 0;
    // Writes the line did not take at once (EAGAIN): the console was not keeping up.
    long long lineFull = 0;
    TimePoint floodStart{};
    TimePoint floodEnd{};
    bool peerClosed = false;
    QString error;

private:
    void begin(int fd, int listenFd)
    {
        m_fd = fd;
        m_ownsFd = fd < 0;
        m_hasPeer = fd >= 0;
        m_thread = std::thread([this, listenFd] { run(listenFd); });
        pthread_getcpuclockid(m_thread.native_handle(), &m_cpuClock);
    }

    bool accept(int listenFd)
    {
        while (!m_stop.load()) {
            pollfd p{listenFd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            // Every reply leaves as soon as it is written, the way a controller answers.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            m_fd = fd;
            m_isSocket = true;
            m_hasPeer = true;
            return true;
        }
        return false;
    }

    void run(int listenFd)
    {
        if (listenFd >= 0 && !accept(listenFd))
            return;
        const QByteArray replies[] = {QByteArray::fromHex("ff01005900005a"),
                                      QByteArray("T123456llll"), QByteArray("T1234567")};
        std::size_t kind = 0;
        QByteArray pending;
        qsizetype written = 0;
        bool wasFlooding = false;
        TimePoint nextSend = Clock::now();
        while (!m_stop.load()) {
            TimePoint now = Clock::now();
            const bool flooding = m_flooding.load();
            if (flooding && !wasFlooding) {
                floodStart = now;
                nextSend = now;
            } else if (!flooding && wasFlooding) {
                floodEnd = now;
                pending.clear();
            }
            wasFlooding = flooding;

            if (flooding && pending.isEmpty() && now >= nextSend) {
                pending = replies[kind];
                kind = (kind + 1) % std::size(replies);
                written = 0;
            }
            if (!pending.isEmpty()) {
                const char *from = pending.constData() + written;
                const std::size_t size = std::size_t(pending.size() - written);
                const ssize_t n =
                    m_isSocket ? ::send(m_fd, from, size, MSG_NOSIGNAL) : ::write(m_fd, from, size);
                if (n > 0) {
                    bytesSent += n;
                    written += n;
                    if (written == pending.size()) {
                        ++repliesSent;
                        pending.clear();
                        now = Clock::now();
                        nextSend = now + std::chrono::microseconds(m_pauseUs);
                    }
                } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                    ++lineFull;
                } else if (n < 0 && errno != EINTR) {
                    error =
                        QStringLiteral("write: ") + QString::fromLocal8Bit(std::strerror(errno));
                    return;
                }
            }

            // Sleep until the next reply is due, the line takes more, or the console writes.
            pollfd p{m_fd, short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
            auto wait = std::chrono::nanoseconds(std::chrono::milliseconds(20));
            if (flooding && pending.isEmpty())
                wait = std::max(std::chrono::nanoseconds(0),
                                std::chrono::nanoseconds(nextSend - Clock::now()));
            const timespec timeout{time_t(wait.count() / 1000000000),
                                   long(wait.count() % 1000000000)};
            if (::ppoll(&p, 1, &timeout, nullptr) <= 0)
                continue;
            if (p.revents & POLLIN) {
                char buffer[4096];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                const TimePoint at = Clock::now();
                if (n > 0) {
                    jog.feed(buffer, std::size_t(n), at);
                } else if (n == 0) {
                    peerClosed = true;
                    return;
                }
            } else if (p.revents & (POLLHUP | POLLERR)) {
                peerClosed = true;
                ::usleep(1000);
            }
        }
        if (wasFlooding)
            floodEnd = Clock::now();
    }

    int m_pauseUs;
    int m_fd = -1;
    bool m_ownsFd = false;
    bool m_isSocket = false;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_flooding{false};
    std::atomic<bool> m_hasPeer{false};
    clockid_t m_cpuClock{};
};

double countIn(const std::vector<TimePoint> &times, TimePoint from, TimePoint to)
{
    return double(std::count_if(times.begin(), times.end(),
                                [&](TimePoint t) { return t >= from && t <= to; }));
}

// Holds "up" for the hold time with the peer flooding, prints what was seen and returns
// whether both targets were met.
bool floodAndReport(const char *title, Console &console, FloodPeer &peer, bool serial, int pauseUs)
{
    MainForm &form = console.form();
    QPushButton *up = console.button("上");
    auto *clock = form.findChild<QTimer *>(QStringLiteral("TmrDateTime"));
    auto *gather = form.receive().findChild<QTimer *>(QStringLiteral("Rtimer"));
    auto *log = form.findChild<LogBox *>(QStringLiteral("TxtDisplay"));

    std::vector<TimePoint> ticks;
    std::vector<TimePoint> chunks;
    std::vector<TimePoint> redraws;
    {
        // Connected after the console's own handlers, so these run once the console is done.
        QObject probe;
        QObject::connect(clock, &QTimer::timeout, &probe, [&] { ticks.push_back(Clock::now()); });
        if (serial) {
            // The serial link is read on the third gathering tick, which leaves the count at 0.
            QObject::connect(gather, &QTimer::timeout, &probe, [&] {
                if (form.receive().RxTickCount == 0)
                    chunks.push_back(Clock::now());
            });
        } else {
            // On TCP every arrival is read and logged at once.
            QObject::connect(&form.links().tcp(), &TcpLink::received, &probe,
                             [&] { chunks.push_back(Clock::now()); });
        }
        QObject::connect(log, &QPlainTextEdit::textChanged, &probe,
                         [&] { redraws.push_back(Clock::now()); });

        runEventLoop(200);
        const double guiCpu0 = threadCpuSeconds();
        const double peerCpu0 = peer.cpuSeconds();
        peer.setFlooding(true);
        const TimePoint pressAt = Clock::now();
        QTest::mousePress(up, Qt::LeftButton);
        const bool held = form.jog().JogHeld[1];

        runEventLoop(kHoldMs);

        const TimePoint releaseAt = Clock::now();
        QTest::mouseRelease(up, Qt::LeftButton);
        peer.setFlooding(false);
        const double guiCpu = threadCpuSeconds() - guiCpu0;
        const double peerCpu = peer.cpuSeconds() - peerCpu0;
        const bool stillOpen = form.link().linkOpen();
        runEventLoop(300);
        peer.stop();

        const double holdS = msBetween(pressAt, releaseAt) / 1000.0;
        const double floodS = msBetween(peer.floodStart, peer.floodEnd) / 1000.0;
        const std::vector<double> tickGaps = gapsMs(within(ticks, pressAt, releaseAt));
        const double worstLate = maxOf(tickGaps) - kClockMs;
        const double chunkCount = countIn(chunks, pressAt, releaseAt);
        const double jogFrames = double(peer.jog.goodFrames - peer.jog.unexpectedFrames);
        const double jogRate = jogFrames / holdS;
        const std::vector<double> jogGaps = gapsMs(peer.jog.frameTimes);

        std::printf("rx_flood: %s, \"up\" held %.3f s, peer pauses %d us after each reply\n", title,
                    holdS, pauseUs);
        std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                    int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
        std::printf("  button held: %s; link still open at release: %s\n", held ? "yes" : "NO",
                    stillOpen ? "yes" : "NO");
        std::printf("  peer sent:        %lld replies in %.3f s = %.0f replies/s, %lld bytes = "
                    "%.0f bytes/s (7/11/8-byte replies in turn); line full %lld times\n",
                    peer.repliesSent, floodS, double(peer.repliesSent) / floodS, peer.bytesSent,
                    double(peer.bytesSent) / floodS, peer.lineFull);
        std::printf("  console handled:  %.0f chunks = %.1f chunks/s, about %.0f bytes each "
                    "(peer bytes / chunks); counted as %s\n",
                    chunkCount, chunkCount / holdS,
                    chunkCount > 0 ? double(peer.bytesSent) / chunkCount : 0.0,
                    serial ? "gathering-timer ticks that ended in a read of the port"
                           : "arrival signals of the TCP link, each followed by one read");
        std::printf("  log box redraws:  %.0f = %.1f/s (textChanged of TxtDisplay; sent jog "
                    "frames and replies together)\n",
                    countIn(redraws, pressAt, releaseAt),
                    countIn(redraws, pressAt, releaseAt) / holdS);
        std::printf("  clock tick:       %zu gaps, p50 %.3f ms, p99 %.3f ms, max %.3f ms; "
                    "worst lateness %.3f ms beyond 100 ms\n",
                    tickGaps.size(), percentile(tickGaps, 50), percentile(tickGaps, 99),
                    maxOf(tickGaps), worstLate);
        std::printf("  jog frames at peer: %.0f = %.2f frames/s; gap p50 %.3f ms, p99 %.3f ms, "
                    "max %.3f ms; wrong checksum %lld, stray bytes %lld, other frames %lld\n",
                    jogFrames, jogRate, percentile(jogGaps, 50), percentile(jogGaps, 99),
                    maxOf(jogGaps), peer.jog.wrongChecksum, peer.jog.strayBytes,
                    peer.jog.unexpectedFrames);
        std::printf("  CPU over the hold (share of one core): GUI thread %.1f %%, peer thread "
                    "%.1f %%\n",
                    100.0 * guiCpu / holdS, 100.0 * peerCpu / holdS);
        if (!peer.error.isEmpty() || peer.peerClosed)
            std::printf("  peer: %s%s\n", qPrintable(peer.error),
                        peer.peerClosed ? " (the console closed its end)" : "");

        const bool clockMet = !tickGaps.empty() && worstLate <= kMaxLateMs;
        const bool jogMet = jogRate >= kMinJogRate;
        std::printf("  target clock tick never more than %.0f ms late: %s (%.3f ms)\n", kMaxLateMs,
                    qPrintable(metText(clockMet)), worstLate);
        std::printf("  target jog rate >= %.0f frames/s:            %s (%.2f)\n", kMinJogRate,
                    qPrintable(metText(jogMet)), jogRate);
        return clockMet && jogMet;
    }
}

int fail(const char *link, const QString &why)
{
    std::printf("rx_flood: could not run on the %s link: %s\n", link, qPrintable(why));
    return 2;
}

int parsePause(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--pause-us") == 0)
            return std::max(0, std::atoi(argv[i + 1]));
    }
    return kDefaultPauseUs;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int pauseUs = parsePause(argc, argv);
    QString error;

    {
        PseudoTerminal pty;
        if (!pty.isValid())
            return fail("serial", QStringLiteral("no pseudo-terminal"));
        Console console;
        if (!pty.publish(console.programDir(), kComPort))
            return fail("serial", QStringLiteral("cannot publish the pseudo-terminal"));
        if (!console.start(&error) || !console.openSerial(kComPort, &error))
            return fail("serial", error);
        FloodPeer peer(pauseUs);
        peer.startOn(pty.master());
        floodAndReport("serial link through a pseudo-terminal", console, peer, true, pauseUs);
    }
    std::printf("\n");
    {
        const int listenFd = listenOnLoopback(kPeerAddress, kPeerPort, &error);
        if (listenFd < 0)
            return fail("TCP", error);
        FloodPeer peer(pauseUs);
        peer.startAccepting(listenFd);
        Console console;
        const bool opened = console.start(&error) &&
                            console.openTcp(QString::fromLatin1(kPeerAddress), &error) &&
                            runEventLoopUntil([&] { return peer.hasPeer(); }, 3000);
        if (!opened) {
            peer.stop();
            ::close(listenFd);
            return fail("TCP", error.isEmpty() ? QStringLiteral("no connection accepted") : error);
        }
        floodAndReport("TCP link over loopback (127.0.0.42:4196)", console, peer, false, pauseUs);
        ::close(listenFd);
    }
    return 0;
}
