// Holding "up" for ten seconds on a serial link through a pseudo-terminal: how regularly the
// console's jog frames reach the head's end of the line, and what the console spends on it.
//
// How regular the frames can be depends on the machine as much as on the console: on a busy
// machine with two cores even a bare kernel timer wakes late. So a bare timer (bare_timer, a
// timerfd writing the same seven bytes to a pseudo-terminal of its own) runs beside the console
// over the same hold, read and timed at its far end by the same kind of reader, and the
// console's regularity is given as a ratio to that floor.
#include "benchsupport.h"
#include "spawnedprocess.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/jogcontrol.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "control/ticker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kHoldMs = 10000;
constexpr int kComPort = 7;
constexpr double kScanMs = 10.0;
// Scheduling slack allowed on top of one scan tick for the first frame, and the gap between two
// scan ticks counted as late.
constexpr double kSlackMs = 0.6;
constexpr double kMinRate = 99.5;
// The console's p99 gap may be at most this many times the bare timer's.
constexpr double kMaxGapRatio = 1.05;
// A short press before the measured hold, to learn where the scan's 10 ms grid lies.
constexpr int kWarmUpMs = 100;
// Where in the console's 10 ms grid the bare timer fires: half way between two scan ticks. Were
// both due at the same instant they would compete for the two CPUs with each other (and their
// readers) at every tick, on top of the machine's load, and the ratio would measure that.
constexpr double kBarePhaseMs = 5.0;

long long nsOf(TimePoint t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A moment of the scan's grid, from ticks that each came at a grid point or a little after it:
// the earliest tick against the grid of the first one. The steady clock is the monotonic clock
// the scan's timer and the bare timer run on.
long long gridPointNs(const std::vector<TimePoint> &ticks)
{
    const long long period = (long long)(kScanMs * 1e6);
    const long long first = nsOf(ticks.front());
    long long earliest = 0;
    for (TimePoint t : ticks) {
        long long offset = (nsOf(t) - first) % period;
        if (offset > period / 2)
            offset -= period;
        earliest = std::min(earliest, offset);
    }
    return first + earliest;
}

// The bare timer runs in a process of its own rather than on a thread of this one: a thread
// here would share the console's process (its memory map and the lock that guards it, its
// allocator, its signals), while a process of its own competes for the CPUs as any other
// program on the machine does, which is all the floor should show. It is started from this
// process's session, so the kernel schedules it in the same group as the console.
class BareTimer
{
public:
    bool start(const QString &tty, long long firstNs, int lifetimeS, QString *error)
    {
        std::string why;
        if (!m_process.start({BARE_TIMER_BINARY, tty.toStdString(), std::to_string(firstNs),
                              std::to_string(int(kScanMs)), std::to_string(lifetimeS)},
                             &why)) {
            *error = QString::fromStdString(why);
            return false;
        }
        std::string line;
        if (m_process.readLine(Clock::now() + std::chrono::seconds(5), &line) &&
            line == "BARE-TIMER ready")
            return true;
        *error = QStringLiteral("the bare timer did not start: ") + QString::fromStdString(line);
        return false;
    }

    // Ends it and reads its account of the writes.
    void stop()
    {
        m_process.terminate();
        std::string line;
        while (m_process.readLine(Clock::now() + std::chrono::seconds(2), &line)) {
            if (std::sscanf(line.c_str(), "BARE-TIMER writes=%lld missed=%lld short=%lld", &writes,
                            &missed, &shortWrites) == 3)
                reported = true;
            else
                other += line + ' ';
        }
        m_process.reap(Clock::now() + std::chrono::seconds(2));
        cpuMs = m_process.cpuSeconds * 1000.0;
    }

    bool reported = false;
    long long writes = 0;
    long long missed = 0;
    long long shortWrites = 0;
    double cpuMs = 0.0;
    std::string other;

private:
    SpawnedProcess m_process;
};

int fail(const QString &why)
{
    std::printf("jog_rate: could not run: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    Console console(kComPort);
    PtyPair &pty = console.pty;
    QString error;
    if (!openSerialAt01(console, &error))
        return fail(error);
    QPushButton *up = console.get<QPushButton>("上");
    if (!up)
        return fail(QStringLiteral("no button named 上"));

    // The console's own scan ticks, to tell a late tick from a slow line or a slow reader.
    // Connected after the console's handler, so each time is taken once the frame is written.
    auto *scan = console.form->jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器"));
    if (!scan)
        return fail(QStringLiteral("no jog scan timer"));
    std::vector<TimePoint> ticks;
    QObject probe;
    QObject::connect(scan, &Ticker::tick, &probe, [&] { ticks.push_back(Clock::now()); });

    // A short press shows where the scan's grid lies; then the window settles, and anything
    // written while opening the link or during that press is thrown away.
    runEventLoop(200);
    QTest::mousePress(up, Qt::LeftButton);
    runEventLoop(kWarmUpMs);
    QTest::mouseRelease(up, Qt::LeftButton);
    if (ticks.empty())
        return fail(QStringLiteral("the scan did not tick during a press"));
    const long long gridNs = gridPointNs(ticks);
    runEventLoop(200);
    char junk[4096];
    while (::read(pty.master(), junk, sizeof junk) > 0) {
    }

    // The bare timer on the grid's half-way points, from a little while from now until after
    // the hold, with its own reader.
    PtyPair barePty;
    if (!barePty.isValid())
        return fail(QStringLiteral("no pseudo-terminal for the bare timer"));
    const long long periodNs = (long long)(kScanMs * 1e6);
    const long long soonNs = nsOf(Clock::now()) + 20 * periodNs;
    const long long bareFirstNs =
        gridNs + ((soonNs - gridNs) / periodNs + 1) * periodNs + (long long)(kBarePhaseMs * 1e6);
    BareTimer bare;
    if (!bare.start(barePty.slavePath(), bareFirstNs, kHoldMs / 1000 + 30, &error))
        return fail(error);
    FarEnd::Options reading;
    reading.expected = upFrameAt01();
    FarEnd bareReader(barePty.master(), reading);

    // The head reads and times the frames; it sends nothing back.
    FarEnd reader(pty.master(), reading);
    // The bare timer is writing by the end of this.
    runEventLoop(50 + 20 * int(kScanMs));
    ticks.clear();

    const double processCpu0 = processCpuSeconds();
    const double guiCpu0 = threadCpuSeconds();
    const double readerCpu0 = reader.cpuSeconds() + bareReader.cpuSeconds();
    // A late scan tick is either the console's own work or the window thread kept off a CPU.
    long long onCpu0 = 0;
    long long waiting0 = 0;
    threadSchedStat(&onCpu0, &waiting0);
    rusage usage0{};
    getrusage(RUSAGE_THREAD, &usage0);
    const double steal0 = stealMs();
    const TimePoint pressAt = Clock::now();
    QTest::mousePress(up, Qt::LeftButton);
    const bool held = console.form->jog().JogHeld[1];

    runEventLoop(kHoldMs);

    const TimePoint releaseAt = Clock::now();
    QTest::mouseRelease(up, Qt::LeftButton);
    const double processCpu = processCpuSeconds() - processCpu0;
    const double guiCpu = threadCpuSeconds() - guiCpu0;
    const double readerCpu = reader.cpuSeconds() + bareReader.cpuSeconds() - readerCpu0;
    long long onCpu = 0;
    long long waiting = 0;
    threadSchedStat(&onCpu, &waiting);
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const double steal = stealMs() - steal0;
    const bool stillOpen = console.form->link().linkOpen();

    // Whatever was already on its way reaches the reader; nothing new should follow.
    runEventLoop(100);
    reader.stop();
    bareReader.stop();
    bare.stop();
    probe.disconnect();

    const FrameStream s = reader.counts();
    const std::vector<TimePoint> frameTimes = timesOf(reader.frames());
    const FrameStream bareCounts = bareReader.counts();
    const double holdMs = msBetween(pressAt, releaseAt);
    const double holdS = holdMs / 1000.0;
    const long long frames = s.goodFrames;
    const long long expected = (long long)std::floor(holdMs / kScanMs);
    const long long lost = std::max(0LL, expected - frames);
    const long long afterRelease = std::count_if(frameTimes.begin(), frameTimes.end(),
                                                 [&](TimePoint t) { return t > releaseAt; });
    const double rate = double(frames) / holdS;
    const std::vector<double> gaps = gapsMs(frameTimes);
    const double p50 = percentile(gaps, 50);
    const double p99 = percentile(gaps, 99);
    const double gapMax = maxOf(gaps);
    const bool anyFrame = !frameTimes.empty();
    const double firstMs = anyFrame ? msBetween(pressAt, frameTimes.front()) : -1.0;
    const double wallS = holdS;

    // The bare timer over the same hold.
    const std::vector<TimePoint> bareTimes =
        within(timesOf(bareReader.frames()), pressAt, releaseAt);
    const std::vector<double> bareGaps = gapsMs(bareTimes);
    const double bareP50 = percentile(bareGaps, 50);
    const double bareP99 = percentile(bareGaps, 99);
    const bool bareClean = bareCounts.wrongChecksum == 0 && bareCounts.strayBytes == 0 &&
                           bareCounts.unexpectedFrames == 0;
    const bool bareValid = bare.reported && bareGaps.size() >= 100 && bareP99 > 0.0;
    const double gapRatio = bareValid ? p99 / bareP99 : 0.0;

    std::printf("jog_rate: \"up\" held on the serial link (pseudo-terminal as COM%d), address 01, "
                "tilt speed 63\n",
                kComPort);
    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
    std::printf("  button held by the console:   %s; link still open at release: %s\n",
                held ? "yes" : "NO", stillOpen ? "yes" : "NO");
    std::printf("  hold:                         %.3f s (press to release, steady clock)\n", holdS);
    std::printf("  frames received:              %lld (expected %lld = hold / 10 ms; %lld lost; "
                "%lld arrived after release)\n",
                frames, expected, lost, afterRelease);
    std::printf("  frames per second:            %.2f\n", rate);
    std::printf(
        "  inter-frame gap:              p50 %.3f ms, p99 %.3f ms, max %.3f ms (%zu gaps)\n", p50,
        p99, gapMax, gaps.size());
    const std::vector<TimePoint> heldTicks = within(ticks, pressAt, releaseAt);
    const std::vector<double> tickGaps = gapsMs(heldTicks);
    std::printf("  console scan ticks (GUI side): %zu; gap p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                heldTicks.size(), percentile(tickGaps, 50), percentile(tickGaps, 99),
                maxOf(tickGaps));
    // Where in the hold the longest gap ended tells a one-off at the start from a recurring stall.
    if (!tickGaps.empty()) {
        const std::size_t longest =
            std::size_t(std::max_element(tickGaps.begin(), tickGaps.end()) - tickGaps.begin());
        std::printf("  longest scan gap ended %.1f ms after the press\n",
                    msBetween(pressAt, heldTicks[longest + 1]));
    }
    if (heldTicks.size() == frameTimes.size()) {
        std::vector<double> transit;
        for (std::size_t i = 0; i < heldTicks.size(); ++i)
            transit.push_back(msBetween(heldTicks[i], frameTimes[i]));
        std::printf("  tick handled to frame read at the far end: p50 %.3f ms, p99 %.3f ms, "
                    "max %.3f ms\n",
                    percentile(transit, 50), percentile(transit, 99), maxOf(transit));
    }
    std::printf(
        "  bare timer beside it (own process, timerfd, own pseudo-terminal, %.1f ms off the "
        "scan's grid): %zu frames in the hold; gap p50 %.3f ms, p99 %.3f ms, max %.3f ms; "
        "%lld writes, %lld expiries missed, %lld short writes, CPU %.1f ms over its life; "
        "frames split across reads %lld, not clean: %s\n",
        kBarePhaseMs, bareTimes.size(), bareP50, bareP99, maxOf(bareGaps), bare.writes, bare.missed,
        bare.shortWrites, bare.cpuMs, bareCounts.splitFrames, bareClean ? "no" : "YES");
    if (!bare.other.empty())
        std::printf("  bare timer also printed: %s\n", bare.other.c_str());
    std::printf("  p99 gap, console / bare timer: %.3f ms / %.3f ms = %.3f\n", p99, bareP99,
                gapRatio);
    // The scan runs on its grid, so where the press falls in its 10 ms decides the first wait.
    const double pressInGridMs = double((nsOf(pressAt) - gridNs) % periodNs) / 1e6;
    std::printf("  press to first frame:         %.3f ms (the press came %.3f ms after a point "
                "of the scan's grid)\n",
                firstMs, pressInGridMs);
    std::printf("  wrong checksum:               %lld frames\n", s.wrongChecksum);
    std::printf("  bytes not in a valid frame:   %lld\n", s.strayBytes);
    std::printf("  valid frames not FF 01 00 08 00 3F 48: %lld\n", s.unexpectedFrames);
    std::printf("  frames split across reads:    %lld (of %lld reads at the far end)\n",
                s.splitFrames, s.reads);
    std::printf("  CPU over the hold (share of one core): process %.1f %%, the two far-end reader "
                "threads %.1f %%, console = process - readers %.1f %% (GUI thread alone %.1f %%)\n",
                100.0 * processCpu / wallS, 100.0 * readerCpu / wallS,
                100.0 * (processCpu - readerCpu) / wallS, 100.0 * guiCpu / wallS);
    const long long lateTicks = std::count_if(tickGaps.begin(), tickGaps.end(),
                                              [](double gap) { return gap > kScanMs + kSlackMs; });
    std::printf(
        "  window thread over the hold: on a CPU %.1f ms, ready but waiting for a CPU "
        "%.1f ms, preempted %ld times; scan ticks more than %.1f ms apart: %lld; CPU time the "
        "machine lost to its hypervisor meanwhile (steal): %.0f ms\n",
        double(onCpu - onCpu0) / 1e6, double(waiting - waiting0) / 1e6,
        usage.ru_nivcsw - usage0.ru_nivcsw, kScanMs + kSlackMs, lateTicks, steal);
    if (!reader.error.isEmpty() || reader.peerClosed)
        std::printf("  far end: %s%s\n", qPrintable(reader.error),
                    reader.peerClosed ? " (the console closed its end)" : "");

    const bool rateMet = rate >= kMinRate;
    const bool gapMet = anyFrame && bareValid && bareClean && gapRatio <= kMaxGapRatio;
    const bool noneLost = anyFrame && lost == 0;
    const bool clean =
        s.wrongChecksum == 0 && s.strayBytes == 0 && s.splitFrames == 0 && s.unexpectedFrames == 0;
    const bool firstMet = anyFrame && firstMs <= kScanMs + kSlackMs;
    std::printf("targets:\n");
    std::printf("  >= %.1f frames/s:                  %s (%.2f)\n", kMinRate,
                qPrintable(metText(rateMet)), rate);
    std::printf("  p99 gap <= %.2f x the bare timer's: %s (%.3f = %.3f ms / %.3f ms)\n",
                kMaxGapRatio, qPrintable(metText(gapMet)), gapRatio, p99, bareP99);
    std::printf("  no frame lost:                     %s (%lld of %lld)\n",
                qPrintable(metText(noneLost)), frames, expected);
    std::printf("  none split or corrupted:           %s\n", qPrintable(metText(clean)));
    std::printf("  first frame within one tick (<= %.1f ms): %s (%.3f ms)\n", kScanMs + kSlackMs,
                qPrintable(metText(firstMet)), firstMs);
    printFigure({"jog", rate, 2, "frames/s", atLeast(kMinRate), rateMet});
    printFigure({"jog-gap-p99-ratio", gapRatio, 3, "x bare timer", atMost(kMaxGapRatio), gapMet});
    printReference("jog-gap-p99", p99, 3, "ms");
    printReference("jog-gap-p99-bare", bareP99, 3, "ms");
    printFigure({"jog-lost", double(lost), 0, "frames", "0", noneLost});
    printFigure({"jog-first", firstMs, 3, "ms", atMost(kScanMs + kSlackMs), firstMet});
    return 0;
}
