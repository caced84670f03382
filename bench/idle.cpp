// What the console costs while nobody uses it: the CPU share of the real window left alone,
// first with no link open and then with the serial link open on a pseudo-terminal that stays
// silent. Each phase lasts BENCH_IDLE_S seconds (60 by default).
#include "benchsupport.h"

#include "app/mainform.h"
#include "control/jogcontrol.h"
#include "control/ticker.h"
#include "link/receivepath.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr double kDefaultSeconds = 60.0;
constexpr int kSettleMs = 2000;
constexpr int kComPort = 7;
// Share of one core, in per cent.
constexpr double kTargetPercent = 1.0;

long contextSwitches(bool voluntary)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return voluntary ? usage.ru_nvcsw : usage.ru_nivcsw;
}

// Counts the ticks of the console's periodic timers while it exists.
class TickCounter
{
public:
    explicit TickCounter(MainForm &form)
    {
        if (auto *timer = form.findChild<QTimer *>(QStringLiteral("TmrDateTime")))
            QObject::connect(timer, &QTimer::timeout, &m_probe, [this] { ++clock; });
        if (auto *scan = form.jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器")))
            QObject::connect(scan, &Ticker::tick, &m_probe, [this] { ++jogScan; });
        if (auto *timer = form.receive().findChild<QTimer *>(QStringLiteral("Rtimer")))
            QObject::connect(timer, &QTimer::timeout, &m_probe, [this] { ++gathering; });
    }

    long clock = 0;
    long jogScan = 0;
    long gathering = 0;

private:
    QObject m_probe;
};

// Leaves the window alone for the given time and prints what it cost; returns the CPU share of
// the whole process in per cent of one core.
double measure(const char *title, MainForm &form, double seconds)
{
    runEventLoop(kSettleMs);
    TickCounter ticks(form);
    const long voluntary0 = contextSwitches(true);
    const long involuntary0 = contextSwitches(false);
    const double processCpu0 = processCpuSeconds();
    const double guiCpu0 = threadCpuSeconds();
    const TimePoint from = Clock::now();

    runEventLoop(int(seconds * 1000.0));

    const double wallS = msBetween(from, Clock::now()) / 1000.0;
    const double processCpu = processCpuSeconds() - processCpu0;
    const double guiCpu = threadCpuSeconds() - guiCpu0;
    const double voluntary = double(contextSwitches(true) - voluntary0);
    const double involuntary = double(contextSwitches(false) - involuntary0);
    const double percent = 100.0 * processCpu / wallS;

    std::printf("idle: %s, %.1f s left alone after %d ms to settle\n", title, wallS, kSettleMs);
    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
    std::printf("  CPU, user + system: process %.3f s = %.3f %% of one core (window thread "
                "%.3f %%)\n",
                processCpu, percent, 100.0 * guiCpu / wallS);
    std::printf("  per second: %.1f sleeps (voluntary switches), %.1f preemptions; ticks of the "
                "clock %.1f, the jog scan %.1f, the serial gathering %.1f\n",
                voluntary / wallS, involuntary / wallS, double(ticks.clock) / wallS,
                double(ticks.jogScan) / wallS, double(ticks.gathering) / wallS);
    if (voluntary > 0)
        std::printf("  CPU per wake-up: %.1f us\n", 1e6 * processCpu / voluntary);
    return percent;
}

int fail(const QString &why)
{
    std::printf("idle: could not run: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const double seconds = secondsFromEnvironment("BENCH_IDLE_S", kDefaultSeconds);

    Console console(kComPort);
    QString error;
    if (!console.pty.isValid())
        return fail(QStringLiteral("no pseudo-terminal"));

    const double alone = measure("no link open", *console.form, seconds);
    printFigure(
        {"idle", alone, 2, "% of one core", atMost(kTargetPercent), alone <= kTargetPercent});

    if (!openSerialAt01(console, &error))
        return fail(error);
    // What opening the link wrote is not part of the idle line.
    console.pty.drain(200);
    const double linked =
        measure("serial link open on a silent pseudo-terminal", *console.form, seconds);
    const QByteArray written = console.pty.drain(100);
    std::printf("  bytes the console wrote to the line meanwhile: %lld\n",
                (long long)written.size());
    printFigure({"idle-link", linked, 2, "% of one core", atMost(kTargetPercent),
                 linked <= kTargetPercent});
    if (!console.prompts.messages.isEmpty())
        std::printf("  operator messages: %s\n", qPrintable(console.prompts.messages.join(u'|')));
    return 0;
}
