// How long the console takes from the start of its process to its window shown and the first
// tick of its clock, and what it holds in memory by then, against the floor of a bare Qt
// Widgets window of the same size started the same way in the same run.
//
// The program runs itself again as a child that starts exactly as the console's main() does, in
// a temporary program directory, and reports the moments it passes (startupwatch.h); the bare
// window (bare_window) reports the same moments through the same code. The parent starts the
// two turn about, timing each from just before it is spawned, so both see the same machine
// load. It links only what the console links, so its child loads the same libraries.
//
// Then it looks at what the console spends beyond the floor: the moments side by side and what
// each has mapped in memory once its window is up.
#include "figures.h"
#include "spawnedprocess.h"
#include "startupwatch.h"

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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kRuns = 10;
// Of the bare window's start-up and memory.
constexpr double kMaxStartRatio = 1.25;
constexpr double kMaxMibAboveFloor = 6.0;
constexpr int kCorvaneRuns = 3;
constexpr std::chrono::milliseconds kCorvaneLife{1000};
constexpr std::chrono::seconds kChildDeadline{20};
constexpr const char *kChildMode = "--child";
constexpr const char *kMapsOption = "--maps";
// COM1 to COM36: the start-up's port search tries each of them.
constexpr int kPortsSearched = 36;

// The child: the console's main() with the moments noted, leaving by the exit button (which
// writes the settings files the next start reads) once the clock shows after the window
// was exposed and painted.
int runChild(int argc, char **argv, long long mainNs)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    const long long appNs = nowNs();
    const QString programDir = QString::fromLocal8Bit(argv[2]);
    MainForm form(programDir, datadirectory::choose(programDir));
    StartupWatch watch(&form, mainNs, appNs);
    watch.windowBuilt();
    QObject::connect(&form, &MainForm::exitRequested, &app, [] { QCoreApplication::exit(0); });

    app.installEventFilter(&watch);
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
    watch.ready = [time] { return time && !time->text().isEmpty(); };
    watch.finish = [exitButton] { exitButton->click(); };
    watch.printMaps = argc >= 4 && std::strcmp(argv[3], kMapsOption) == 0;
    // Connected after the window's own handler, so it runs once the tick has been handled.
    QObject::connect(clock, &QTimer::timeout, &form, [&watch] { watch.check(); });
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(3); });

    form.show();
    watch.shown();
    return app.exec();
}

struct Run
{
    Moments moments;
    long long spawnNs = 0;
    double cpuMs = 0.0;
    double peakMib = 0.0;
    bool ok = false;
    // With --maps: resident KiB by what is mapped.
    std::map<std::string, long> maps;
};

double msFrom(long long from, long long to)
{
    return double(to - from) / 1e6;
}

// One start of a child; what else it printed goes to other.
Run startOnce(const std::vector<std::string> &arguments, std::set<std::string> &other)
{
    Run run;
    SpawnedProcess child;
    std::string error;
    run.spawnNs = nowNs();
    if (!child.start(arguments, &error)) {
        other.insert(error);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
    std::string line;
    while (child.readLine(deadline, &line)) {
        long kib = 0;
        char name[4096];
        if (run.moments.parse(line))
            run.ok = true;
        else if (std::sscanf(line.c_str(), "MAP\t%ld\t%4095[^\n]", &kib, name) == 2)
            run.maps[name] += kib;
        else if (line != "MAP-END")
            other.insert(line);
    }
    run.ok = child.reap(deadline + std::chrono::seconds(5)) && run.ok;
    run.cpuMs = child.cpuSeconds * 1000.0;
    run.peakMib = kibToMib(child.peakKib);
    return run;
}

void printSpread(const char *what, const std::vector<double> &values, const char *unit)
{
    std::printf("  %-36s median %8.1f %s   min %8.1f   max %8.1f\n", what, median(values), unit,
                minOf(values), maxOf(values));
}

// The moments of a series of starts, in milliseconds from each spawn.
struct Series
{
    std::vector<double> toMain, toApp, toForm, toShown, toExposed, toPainted, toTick, rss, cpu;
    std::vector<double> onCpu, waiting, asleep, sleeps, withoutWaiting, peak;

    void add(const Run &r)
    {
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
        peak.push_back(r.peakMib);
        onCpu.push_back(double(m.onCpuNs) / 1e6);
        waiting.push_back(double(m.waitingNs) / 1e6);
        sleeps.push_back(double(m.sleeps));
        // The window thread starts a moment after the spawn; that moment counts as asleep.
        asleep.push_back(toTick.back() - onCpu.back() - waiting.back());
        withoutWaiting.push_back(toTick.back() - waiting.back());
    }

    void print(const char *built, const char *done) const
    {
        printSpread("main() entered", toMain, "ms ");
        printSpread("QApplication built", toApp, "ms ");
        printSpread(built, toForm, "ms ");
        printSpread("show() returned", toShown, "ms ");
        printSpread("window exposed", toExposed, "ms ");
        printSpread("window first painted", toPainted, "ms ");
        printSpread(done, toTick, "ms ");
        printSpread("window thread on a CPU to then", onCpu, "ms ");
        printSpread("  ready but waiting for a CPU", waiting, "ms ");
        printSpread("  asleep", asleep, "ms ");
        printSpread("  times it went to sleep", sleeps, "   ");
        printSpread("done less the waits for a CPU", withoutWaiting, "ms ");
        printSpread("resident size when done", rss, "MiB");
        printSpread("CPU time to its exit", cpu, "ms ");
        printSpread("peak resident size to its exit", peak, "MiB");
    }
};

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

// What a mapping is, for the comparison of what the two processes hold.
std::string kindOf(const std::string &name)
{
    const auto endsWith = [&name](const char *end) {
        const std::size_t n = std::strlen(end);
        return name.size() >= n && name.compare(name.size() - n, n, end) == 0;
    };
    if (name.find("/plugins/") != std::string::npos)
        return "Qt plugins";
    if (endsWith(".ttf") || endsWith(".ttc") || endsWith(".otf") || endsWith(".pfb") ||
        endsWith(".pcf.gz"))
        return "font files";
    if (name.find("fontconfig") != std::string::npos)
        return "fontconfig caches";
    if (name.find("libQt6") != std::string::npos)
        return "Qt libraries";
    if (name.find(".so") != std::string::npos)
        return "other libraries";
    if (name == "[heap]" || name == "[anon]")
        return "heap and anonymous";
    if (name.front() == '[')
        return "stack, vdso and such";
    if (name.find("/bench/") != std::string::npos)
        return "the program itself";
    return "other files";
}

void printMapComparison(const Run &console, const Run &floor)
{
    std::map<std::string, std::pair<long, long>> byName;
    std::map<std::string, std::pair<long, long>> byKind;
    long consoleTotal = 0;
    long floorTotal = 0;
    for (const auto &[name, kib] : console.maps) {
        byName[name].first += kib;
        byKind[kindOf(name)].first += kib;
        consoleTotal += kib;
    }
    for (const auto &[name, kib] : floor.maps) {
        byName[name].second += kib;
        byKind[kindOf(name)].second += kib;
        floorTotal += kib;
    }
    std::printf("what each has resident once its window is up (/proc/self/smaps, one start each, "
                "KiB): console %ld, bare window %ld, difference %ld\n",
                consoleTotal, floorTotal, consoleTotal - floorTotal);
    std::printf("  %-24s %9s %9s %9s\n", "kind", "console", "bare", "more");
    for (const auto &[kind, kib] : byKind)
        std::printf("  %-24s %9ld %9ld %9ld\n", kind.c_str(), kib.first, kib.second,
                    kib.first - kib.second);
    std::vector<std::pair<long, std::string>> more;
    for (const auto &[name, kib] : byName)
        more.emplace_back(kib.first - kib.second, name);
    std::sort(more.begin(), more.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::printf("  the mappings that differ most (KiB console / bare / more):\n");
    for (std::size_t i = 0; i < more.size() && i < 16; ++i) {
        if (more[i].first < 64)
            break;
        const auto &kib = byName[more[i].second];
        std::printf("    %7ld %7ld %7ld  %s\n", kib.first, kib.second, more[i].first,
                    more[i].second.c_str());
    }
    for (const auto &[who, run] : {std::pair{"console", &console}, std::pair{"bare window", &floor}}) {
        std::printf("  plugins mapped by the %s:", who);
        for (const auto &[name, kib] : run->maps)
            if (kindOf(name) == "Qt plugins")
                std::printf(" %s (%ld KiB)", std::filesystem::path(name).filename().c_str(), kib);
        std::printf("\n");
    }
    std::printf("  libraries the console maps and the bare window does not:");
    for (const auto &[name, kib] : console.maps)
        if (kindOf(name) != "Qt plugins" && name.find(".so") != std::string::npos &&
            !floor.maps.count(name))
            std::printf(" %s (%ld)", std::filesystem::path(name).filename().c_str(), kib);
    std::printf("\n");
}

int runParent()
{
    // Run from a terminal without a display, the children would not start at all.
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
    const std::vector<std::string> consoleStart = {self, kChildMode, dir.path().toStdString()};
    const std::vector<std::string> floorStart = {BARE_WINDOW_BINARY};
    const std::vector<std::string> libsStart = {BARE_WINDOW_LIBS_BINARY};

    std::printf("startup: %d starts each of a child that starts as the console does (a temporary "
                "program directory with the pictures), of a bare Qt Widgets window of the "
                "console's size (bare_window) and of the same window loading the console's other "
                "Qt libraries (bare_window_libs), turn about, after one start of each not "
                "counted; platform %s; times from just before each child is spawned\n",
                kRuns, std::getenv("QT_QPA_PLATFORM"));
    const double locksBefore = portSearchLocksMs();
    std::set<std::string> other;
    const char *names[] = {"console", "bare window", "bare + libs"};
    const std::vector<std::string> *starts[] = {&consoleStart, &floorStart, &libsStart};
    std::vector<Run> runs[3];
    std::printf("  run  started        main()  app   built  shown  exposed  painted  done  "
                "(ms from spawn)  resident MiB\n");
    for (int i = 0; i <= kRuns; ++i) {
        // Which one goes first changes every time, so none always follows another.
        for (int turn = 0; turn < 3; ++turn) {
            const int who = (turn + i) % 3;
            Run run = startOnce(*starts[who], other);
            if (!run.ok) {
                std::printf("startup: could not run: start %d of the %s did not report its "
                            "window\n",
                            i, names[who]);
                for (const std::string &line : other)
                    std::printf("  child: %s\n", line.c_str());
                return 2;
            }
            if (i == 0)
                continue;
            const Moments &m = run.moments;
            std::printf("  %3d  %-12s %6.1f %6.1f %6.1f %6.1f %8.1f %8.1f %6.1f  %20.1f\n", i,
                        names[who], msFrom(run.spawnNs, m.main), msFrom(run.spawnNs, m.app),
                        msFrom(run.spawnNs, m.form), msFrom(run.spawnNs, m.shown),
                        msFrom(run.spawnNs, m.exposed), msFrom(run.spawnNs, m.painted),
                        msFrom(run.spawnNs, m.tick), kibToMib(m.rssKib));
            runs[who].push_back(std::move(run));
        }
    }

    Series console;
    Series floor;
    Series libs;
    // The console's start against the bare window's of the same round, a moment apart.
    std::vector<double> pairRatios;
    for (std::size_t i = 0; i < runs[0].size(); ++i) {
        console.add(runs[0][i]);
        floor.add(runs[1][i]);
        libs.add(runs[2][i]);
        pairRatios.push_back(console.toTick.back() / floor.toTick.back());
    }
    std::printf("the console (done: the window shown with the clock):\n");
    console.print("main window built (clock started)", "done");
    std::printf("the bare window (done: the window shown and painted):\n");
    floor.print("window built", "done");
    std::printf("the bare window loading the console's other Qt libraries:\n");
    libs.print("window built", "done");

    const auto compare = [](const char *what, const std::vector<double> &a,
                            const std::vector<double> &b, const char *unit) {
        std::printf("  %-36s %8.1f %s - %8.1f = %+7.1f\n", what, median(a), unit, median(b),
                    median(a) - median(b));
    };
    const auto compareAll = [&compare](const Series &a, const Series &b) {
        compare("main() entered", a.toMain, b.toMain, "ms ");
        compare("QApplication built", a.toApp, b.toApp, "ms ");
        compare("window built", a.toForm, b.toForm, "ms ");
        compare("show() returned", a.toShown, b.toShown, "ms ");
        compare("window exposed", a.toExposed, b.toExposed, "ms ");
        compare("window first painted", a.toPainted, b.toPainted, "ms ");
        compare("done", a.toTick, b.toTick, "ms ");
        compare("window thread on a CPU to then", a.onCpu, b.onCpu, "ms ");
        compare("  ready but waiting for a CPU", a.waiting, b.waiting, "ms ");
        compare("CPU time to exit", a.cpu, b.cpu, "ms ");
        compare("resident size when done", a.rss, b.rss, "MiB");
        compare("peak resident size to exit", a.peak, b.peak, "MiB");
    };
    std::printf("the console against the bare window (medians, console less bare window):\n");
    compareAll(console, floor);
    std::printf("loading the other libraries (medians, bare window with them less without):\n");
    compareAll(libs, floor);
    const double startMs = median(console.toTick);
    const double floorMs = median(floor.toTick);
    const double startRatio = median(pairRatios);
    std::printf("start-up ratio, console / bare window: median of the %zu rounds' ratios %.3f "
                "(min %.3f, max %.3f); ratio of the medians %.3f; at the first paint, ratio of "
                "the medians %.3f; window thread on a CPU, ratio of the medians %.3f\n",
                pairRatios.size(), startRatio, minOf(pairRatios), maxOf(pairRatios),
                floorMs > 0 ? startMs / floorMs : 0.0,
                median(floor.toPainted) > 0 ? median(console.toPainted) / median(floor.toPainted)
                                            : 0.0,
                median(floor.onCpu) > 0 ? median(console.onCpu) / median(floor.onCpu) : 0.0);

    // One more start of each, reading what it has mapped once the window is up.
    Run consoleMaps = startOnce({self, kChildMode, dir.path().toStdString(), kMapsOption}, other);
    Run floorMaps = startOnce({BARE_WINDOW_BINARY, kMapsOption}, other);
    if (!consoleMaps.maps.empty() && !floorMaps.maps.empty())
        printMapComparison(consoleMaps, floorMaps);
    else
        std::printf("  the mappings could not be read\n");

    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), loadAverageLine().c_str());
    std::printf("  %d lock files like the port search's, taken and removed in a row: %.1f ms "
                "before the starts, %.1f ms after\n",
                kPortsSearched, locksBefore, portSearchLocksMs());

    measureRealConsole(dir.path(), other);
    for (const std::string &line : other)
        std::printf("  also printed by a child: %s\n", line.c_str());

    const double rssMib = median(console.rss);
    const double floorMib = median(floor.rss);
    const double aboveMib = rssMib - floorMib;
    printFigure({"start-up-ratio", startRatio, 3, "x bare window", atMost(kMaxStartRatio),
                 startRatio <= kMaxStartRatio});
    printReference("start-up", startMs, 1, "ms");
    printReference("start-up-bare", floorMs, 1, "ms");
    printReference("start-up-above-bare", startMs - floorMs, 1, "ms");
    printFigure({"rss-above-bare", aboveMib, 1, "MiB", atMost(kMaxMibAboveFloor),
                 aboveMib <= kMaxMibAboveFloor});
    printReference("rss", rssMib, 1, "MiB");
    printReference("rss-bare", floorMib, 1, "MiB");
    printReference("rss-ratio", floorMib > 0 ? rssMib / floorMib : 0.0, 3, "x bare window");
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
