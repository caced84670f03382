// How long the console takes from the start of its process to its window shown and the first
// tick of its clock. The program runs itself again as a child that starts exactly as the
// console's main() does, in a temporary program directory, and reports the moments it passes;
// the parent times ten such starts from just before each child is spawned. It links only what
// the console links, so the child loads the same libraries.
#include "figures.h"
#include "spawnedprocess.h"

#include "app/datadirectory.h"
#include "app/mainform.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kRuns = 10;
constexpr double kTargetMs = 150.0;
constexpr double kTargetMib = 60.0;
constexpr int kCorvaneRuns = 3;
constexpr std::chrono::milliseconds kCorvaneLife{1000};
constexpr std::chrono::seconds kChildDeadline{20};
constexpr const char *kChildMode = "--child";
// COM1 to COM36: the start-up's port search tries each of them.
constexpr int kPortsSearched = 36;

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The moments a start passes, in nanoseconds of the steady clock, which parent and child share.
struct Moments
{
    long long main = 0;
    long long app = 0;
    long long form = 0;
    long long shown = 0;
    long long exposed = 0;
    long long painted = 0;
    long long tick = 0;
    long rssKib = 0;
    // Of the window thread up to the tick: time on a CPU and ready but waiting for one.
    long long onCpuNs = 0;
    long long waitingNs = 0;
    // Times the window thread gave up the CPU to wait for something, up to the tick.
    long sleeps = 0;
};

// In the child: notes the first exposure of the window and its first paint, whichever object
// the platform delivers them to.
class FirstSight : public QObject
{
public:
    FirstSight(QWidget *window, Moments &moments) : m_window(window), m_moments(moments) {}

    std::function<void()> onPainted;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_moments.exposed) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window == m_window->windowHandle() && window->isExposed())
                m_moments.exposed = nowNs();
        } else if (event->type() == QEvent::Paint && watched == m_window && !m_moments.painted) {
            m_moments.painted = nowNs();
            if (onPainted)
                onPainted();
        }
        return false;
    }

private:
    QWidget *m_window;
    Moments &m_moments;
};

// The child: the console's main() with the moments noted, leaving by the exit button (which
// writes the settings files the next start reads) once the clock shows after the window
// was exposed and painted.
int runChild(int argc, char **argv, long long mainNs)
{
    Moments m;
    m.main = mainNs;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    m.app = nowNs();
    const QString programDir = QString::fromLocal8Bit(argv[2]);
    MainForm form(programDir, datadirectory::choose(programDir));
    m.form = nowNs();
    QObject::connect(&form, &MainForm::exitRequested, &app, [] { QCoreApplication::exit(0); });

    FirstSight sight(&form, m);
    app.installEventFilter(&sight);
    auto *clock = form.findChild<QTimer *>(QStringLiteral("TmrDateTime"));
    auto *exitButton = form.findChild<QPushButton *>(QStringLiteral("CmdExit"));
    if (!clock || !exitButton) {
        std::printf("STARTUP-ERROR the clock timer or the exit button is missing\n");
        return 2;
    }
    auto *time = form.findChild<QLineEdit *>(QStringLiteral("TxtTime"));
    // Done at the first moment the window is on screen, painted and showing the clock: checked
    // on every clock tick and right after the first paint (the clock is written at once after
    // start-up, so it is usually there by then).
    const auto done = [&] {
        if (m.tick || !m.exposed || !m.painted || !time || time->text().isEmpty())
            return;
        m.tick = nowNs();
        m.rssKib = residentKib();
        threadSchedStat(&m.onCpuNs, &m.waitingNs);
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        m.sleeps = usage.ru_nvcsw;
        std::printf("STARTUP main=%lld app=%lld form=%lld shown=%lld exposed=%lld painted=%lld "
                    "tick=%lld rss=%ld cpu=%lld wait=%lld sleeps=%ld\n",
                    m.main, m.app, m.form, m.shown, m.exposed, m.painted, m.tick, m.rssKib,
                    m.onCpuNs, m.waitingNs, m.sleeps);
        std::fflush(stdout);
        exitButton->click();
    };
    // Connected after the window's own handler, so it runs once the tick has been handled.
    QObject::connect(clock, &QTimer::timeout, &form, done);
    sight.onPainted = [&] { QTimer::singleShot(0, &form, done); };
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(3); });

    form.show();
    m.shown = nowNs();
    return app.exec();
}

struct Run
{
    Moments moments;
    long long spawnNs = 0;
    double cpuMs = 0.0;
    double peakMib = 0.0;
    bool ok = false;
};

double msFrom(long long from, long long to)
{
    return double(to - from) / 1e6;
}

// One start of the child; what else it printed goes to other.
Run startOnce(const std::string &self, const QString &programDir, std::set<std::string> &other)
{
    Run run;
    SpawnedProcess child;
    std::string error;
    run.spawnNs = nowNs();
    if (!child.start({self, kChildMode, programDir.toStdString()}, &error)) {
        other.insert(error);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
    std::string line;
    while (child.readLine(deadline, &line)) {
        Moments &m = run.moments;
        if (std::sscanf(line.c_str(),
                        "STARTUP main=%lld app=%lld form=%lld shown=%lld exposed=%lld "
                        "painted=%lld tick=%lld rss=%ld cpu=%lld wait=%lld sleeps=%ld",
                        &m.main, &m.app, &m.form, &m.shown, &m.exposed, &m.painted, &m.tick,
                        &m.rssKib, &m.onCpuNs, &m.waitingNs, &m.sleeps) == 11)
            run.ok = true;
        else
            other.insert(line);
    }
    run.ok = child.reap(deadline + std::chrono::seconds(5)) && run.ok;
    run.cpuMs = child.cpuSeconds * 1000.0;
    run.peakMib = kibToMib(child.peakKib);
    return run;
}

void printSpread(const char *what, const std::vector<double> &values, const char *unit)
{
    std::printf("  %-34s median %8.1f %s   min %8.1f   max %8.1f\n", what, median(values), unit,
                minOf(values), maxOf(values));
}

// The real console started in the same program directory, left alone for a second and ended
// by SIGTERM: the kernel's account of its CPU time and peak resident size.
void measureRealConsole(const QString &programDir, std::set<std::string> &other)
{
    const QString binary = programDir + QStringLiteral("/corvane");
    if (!QFile::exists(binary) && !QFile::copy(QStringLiteral(CORVANE_BINARY), binary)) {
        std::printf("  real console: could not copy %s\n", CORVANE_BINARY);
        return;
    }
    std::vector<double> cpuMs;
    std::vector<double> peakMib;
    for (int i = 0; i < kCorvaneRuns; ++i) {
        SpawnedProcess console;
        std::string error;
        if (!console.start({binary.toStdString()}, &error)) {
            std::printf("  real console: %s\n", error.c_str());
            return;
        }
        const auto end = std::chrono::steady_clock::now() + kCorvaneLife;
        std::string line;
        while (console.readLine(end, &line))
            other.insert(line);
        console.terminate();
        console.reap(std::chrono::steady_clock::now() + std::chrono::seconds(5));
        cpuMs.push_back(console.cpuSeconds * 1000.0);
        peakMib.push_back(kibToMib(console.peakKib));
    }
    std::printf("whole process, the real corvane binary (%d runs, each ended by SIGTERM after "
                "%lld ms: start-up plus idle; not a time to the window):\n",
                kCorvaneRuns, (long long)kCorvaneLife.count());
    printSpread("CPU time, user + system", cpuMs, "ms ");
    printSpread("peak resident size", peakMib, "MiB");
}

// What the start-up's port search costs on this machine's disk right now: the serial port
// library takes a lock file for every port it tries, written through to the disk, and removes it
// again. Timed here with the same kind of lock file in the same directory.
double portSearchLocksMs()
{
    const QString dir = QFileInfo(QStringLiteral("/var/lock")).isWritable()
                            ? QStringLiteral("/var/lock")
                            : QDir::tempPath();
    const QString path = dir + QStringLiteral("/LCK..corvane-bench-%1").arg(getpid());
    const long long from = nowNs();
    for (int i = 0; i < kPortsSearched; ++i) {
        QLockFile lock(path);
        if (lock.tryLock(0))
            lock.unlock();
    }
    return msFrom(from, nowNs());
}

int runParent()
{
    // Run from a terminal without a display, the child would not start at all.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkpath(QStringLiteral("123"))) {
        std::printf("startup: could not run: no temporary program directory\n");
        return 2;
    }
    // The pictures the console loads at start-up, as the build lays them out beside it.
    for (const char *picture : {"Chinese&English.jpg", "BQ.jpg"}) {
        const QString name = QString::fromUtf8(picture);
        QFile::copy(QStringLiteral(CORVANE_PICTURES) + u'/' + name,
                    dir.path() + QStringLiteral("/123/") + name);
    }

    std::printf("startup: %d starts of a child that starts as the console does (offscreen, a "
                "temporary program directory with the pictures), after one start not counted; "
                "times from just before the child is spawned\n",
                kRuns);
    const double locksBefore = portSearchLocksMs();
    std::set<std::string> other;
    std::vector<Run> runs;
    for (int i = 0; i <= kRuns; ++i) {
        Run run = startOnce(self, dir.path(), other);
        if (!run.ok) {
            std::printf("startup: could not run: start %d did not report its first tick\n", i);
            for (const std::string &line : other)
                std::printf("  child: %s\n", line.c_str());
            return 2;
        }
        if (i > 0)
            runs.push_back(run);
    }

    std::vector<double> toMain, toApp, toForm, toShown, toExposed, toPainted, toTick, rss, cpu;
    std::vector<double> clockToTick, onCpu, waiting, asleep, sleeps, withoutWaiting;
    std::printf("  run  main()  app   form  shown  exposed  painted  tick (ms from spawn)\n");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run &r = runs[i];
        const Moments &m = r.moments;
        toMain.push_back(msFrom(r.spawnNs, m.main));
        toApp.push_back(msFrom(r.spawnNs, m.app));
        toForm.push_back(msFrom(r.spawnNs, m.form));
        toShown.push_back(msFrom(r.spawnNs, m.shown));
        toExposed.push_back(msFrom(r.spawnNs, m.exposed));
        toPainted.push_back(msFrom(r.spawnNs, m.painted));
        toTick.push_back(msFrom(r.spawnNs, m.tick));
        rss.push_back(kibToMib(m.rssKib));
        cpu.push_back(r.cpuMs);
        onCpu.push_back(double(m.onCpuNs) / 1e6);
        waiting.push_back(double(m.waitingNs) / 1e6);
        sleeps.push_back(double(m.sleeps));
        clockToTick.push_back(toTick.back() - toForm.back());
        // The window thread starts a moment after the spawn; that moment counts as asleep.
        asleep.push_back(toTick.back() - onCpu.back() - waiting.back());
        withoutWaiting.push_back(toTick.back() - waiting.back());
        std::printf("  %3zu %6.1f %6.1f %6.1f %6.1f %8.1f %8.1f %6.1f\n", i + 1, toMain.back(),
                    toApp.back(), toForm.back(), toShown.back(), toExposed.back(), toPainted.back(),
                    toTick.back());
    }
    printSpread("main() entered", toMain, "ms ");
    printSpread("QApplication built", toApp, "ms ");
    printSpread("main window built (clock started)", toForm, "ms ");
    printSpread("show() returned", toShown, "ms ");
    printSpread("window exposed", toExposed, "ms ");
    printSpread("window first painted", toPainted, "ms ");
    printSpread("window shown with the clock", toTick, "ms ");
    printSpread("  of which clock start to tick", clockToTick, "ms ");
    printSpread("window thread on a CPU to the tick", onCpu, "ms ");
    printSpread("  ready but waiting for a CPU", waiting, "ms ");
    printSpread("  asleep", asleep, "ms ");
    printSpread("  times it went to sleep", sleeps, "   ");
    printSpread("tick less the waits for a CPU", withoutWaiting, "ms ");
    printSpread("resident size at the first tick", rss, "MiB");
    printSpread("child CPU time to its exit", cpu, "ms ");

    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), loadAverageLine().c_str());
    std::printf("  %d lock files like the port search's, taken and removed in a row: %.1f ms "
                "before the starts, %.1f ms after\n",
                kPortsSearched, locksBefore, portSearchLocksMs());

    measureRealConsole(dir.path(), other);
    for (const std::string &line : other)
        std::printf("  also printed by a child: %s\n", line.c_str());

    const double startMs = median(toTick);
    const double rssMib = median(rss);
    printFigure({"start-up", startMs, 1, "ms", atMost(kTargetMs), startMs <= kTargetMs});
    printFigure({"rss", rssMib, 1, "MiB", atMost(kTargetMib), rssMib <= kTargetMib});
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const long long mainNs = nowNs();
    if (argc >= 3 && std::strcmp(argv[1], kChildMode) == 0)
        return runChild(argc, argv, mainNs);
    return runParent();
}
