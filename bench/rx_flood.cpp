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
#include <cstdio>
#include <cstring>
#include <string>
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

double countIn(const std::vector<TimePoint> &times, TimePoint from, TimePoint to)
{
    return double(std::count_if(times.begin(), times.end(),
                                [&](TimePoint t) { return t >= from && t <= to; }));
}

// Holds "up" for the hold time with the peer flooding, prints what was seen, with the figures
// for the summary under the name figure, and returns whether both targets were met.
bool floodAndReport(const char *title, const std::string &figure, Console &console, FarEnd &peer,
                    bool serial, int pauseUs)
{
    MainForm &form = *console.form;
    QPushButton *up = console.get<QPushButton>("上");
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
        peer.setSending(true);
        const TimePoint pressAt = Clock::now();
        QTest::mousePress(up, Qt::LeftButton);
        const bool held = form.jog().JogHeld[1];

        runEventLoop(kHoldMs);

        const TimePoint releaseAt = Clock::now();
        QTest::mouseRelease(up, Qt::LeftButton);
        peer.setSending(false);
        const double guiCpu = threadCpuSeconds() - guiCpu0;
        const double peerCpu = peer.cpuSeconds() - peerCpu0;
        const bool stillOpen = form.link().linkOpen();
        runEventLoop(300);
        peer.stop();
        const FrameStream frames = peer.counts();

        const double holdS = msBetween(pressAt, releaseAt) / 1000.0;
        const double floodS = msBetween(peer.sendStart, peer.sendEnd) / 1000.0;
        const std::vector<double> tickGaps = gapsMs(within(ticks, pressAt, releaseAt));
        const double worstLate = maxOf(tickGaps) - kClockMs;
        const double chunkCount = countIn(chunks, pressAt, releaseAt);
        const double jogFrames = double(frames.goodFrames - frames.unexpectedFrames);
        const double jogRate = jogFrames / holdS;
        const std::vector<double> jogGaps = gapsMs(timesOf(peer.frames()));

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
                    maxOf(jogGaps), frames.wrongChecksum, frames.strayBytes,
                    frames.unexpectedFrames);
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
        printFigure({figure + "-jog", jogRate, 2, "frames/s", atLeast(kMinJogRate), jogMet});
        printFigure({figure + "-clock-late", worstLate, 1, "ms", atMost(kMaxLateMs), clockMet});
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

    // The head answers only while "up" is held; it times the jog frames it reads.
    FarEnd::Options options;
    options.source = floodReplies();
    options.pause = std::chrono::microseconds(pauseUs);
    options.sending = false;
    options.expected = upFrameAt01();
    {
        Console console(kComPort);
        if (!openSerialAt01(console, &error))
            return fail("serial", error);
        FarEnd peer(console.pty.master(), options);
        floodAndReport("serial link through a pseudo-terminal", "flood-serial", console, peer, true,
                       pauseUs);
    }
    std::printf("\n");
    {
        const int listenFd = listenOnLoopback(kPeerAddress, kPeerPort, &error);
        if (listenFd < 0)
            return fail("TCP", error);
        const std::unique_ptr<FarEnd> peer = FarEnd::accepting(listenFd, options);
        Console console(kComPort);
        const bool opened = openTcpAt01(console, QString::fromLatin1(kPeerAddress), &error) &&
                            runEventLoopUntil([&] { return peer->connected(); }, 3000);
        if (!opened) {
            peer->stop();
            ::close(listenFd);
            return fail("TCP", error.isEmpty() ? QStringLiteral("no connection accepted") : error);
        }
        floodAndReport("TCP link over loopback (127.0.0.42:4196)", "flood-tcp", console, *peer,
                       false, pauseUs);
        ::close(listenFd);
    }
    return 0;
}
