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
// Then it looks at what the console spends beyond the floor: the moments side by side, what each
// has mapped in memory once its window is up, and the pieces of the console's start-up timed one
// by one in a child of their own.
#include "figures.h"
#include "spawnedprocess.h"
#include "startupwatch.h"

#include "app/datadirectory.h"
#include "app/mainform.h"
#include "link/links.h"
#include "schedule/timetable.h"
#include "ui/choicebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kRuns = 10;
// Of the bare window's start-up and memory.
constexpr double kMaxStartRatio = 1.25;
constexpr double kMaxMibAboveFloor = 6.0;
constexpr int kPieceRuns = 7;
constexpr int kCorvaneRuns = 3;
constexpr std::chrono::milliseconds kCorvaneLife{1000};
constexpr std::chrono::seconds kChildDeadline{20};
constexpr const char *kChildMode = "--child";
constexpr const char *kPiecesMode = "--pieces";
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

// Notes the first paint of one widget.
class PaintSeen : public QObject
{
public:
    explicit PaintSeen(QWidget *widget) : m_widget(widget) {}
    bool seen = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            seen = true;
        return false;
    }

private:
    QWidget *m_widget;
};

long long threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Shows a widget and runs the event loop until it has been painted (ten seconds at most).
void showAndPaint(QApplication &app, QWidget *widget)
{
    PaintSeen paint(widget);
    app.installEventFilter(&paint);
    widget->show();
    const long long deadline = nowNs() + 10'000'000'000LL;
    while (!paint.seen && nowNs() < deadline)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The paint event has been seen; let it finish.
    QCoreApplication::processEvents();
    app.removeEventFilter(&paint);
}

// A child that goes through the pieces of the console's start-up one at a time, in the order
// the window meets them, and prints what each cost:
// "PIECE\t<name>\t<ms>\t<ms of the thread on a CPU>\t<KiB resident more>".
// What several pieces share (the style, the fonts) is taken first, on its own, so that it is
// not charged to whichever piece happens to need it first. Everything made is kept until the
// end, so that the resident size it added is still there to be read.
int runPieces(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    const QString programDir = QString::fromLocal8Bit(argv[2]);
    std::vector<std::unique_ptr<QObject>> kept;
    std::vector<QPixmap> pictures;

    // Wall time and the window thread's CPU time: on a busy machine the second tells the
    // piece's own work from the waits for a CPU.
    long long from = 0;
    long long fromCpu = 0;
    long fromKib = 0;
    const auto begin = [&] {
        fromKib = residentKib();
        fromCpu = threadCpuNs();
        from = nowNs();
    };
    const auto end = [&](const char *name) {
        const long long to = nowNs();
        const long long toCpu = threadCpuNs();
        std::printf("PIECE\t%s\t%.3f\t%.3f\t%ld\n", name, double(to - from) / 1e6,
                    double(toCpu - fromCpu) / 1e6, residentKib() - fromKib);
        std::fflush(stdout);
    };

    // The font database first: every text needs it, and the bare window never builds it.
    begin();
    (void)QFontDatabase::families();
    end("font-database");

    begin();
    auto *first = new QPushButton(QStringLiteral("OK"));
    kept.emplace_back(first);
    first->ensurePolished();
    (void)first->sizeHint();
    end("style");

    // The window's Chinese captions in its default font, drawn once: finding a font with the
    // glyphs, opening it and rendering them.
    begin();
    {
        QImage canvas(600, 60, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        painter.drawText(QPoint(0, 20), QStringLiteral("通讯设置 串口通讯 网络通讯 端口号 "
                                                       "定时配置区 设备控制区 巡航模式 水平速度"));
    }
    end("chinese-text");

    // The title: "Corvane" in the 24-point font of the Chinese families the title asks for.
    begin();
    {
        QImage canvas(300, 60, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        QFont title;
        title.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                           QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                           QStringLiteral("WenQuanYi Micro Hei")});
        title.setPointSize(24);
        painter.setFont(title);
        painter.drawText(QPoint(0, 50), QStringLiteral("Corvane"));
        std::printf("PIECE-NOTE the title is drawn in %s\n", qPrintable(QFontInfo(title).family()));
    }
    end("title-font");

    // More of the window's captions, each time at a new size (so no glyph is drawn already):
    // with the hinting the platform's font settings ask for, and with none.
    const QString captions = QStringLiteral("提示区清空定时配置说明设备编号巡航一二三垂直角度确认发"
                                            "送位置查询灯光开关停止运动设置调用预自动关于退出程序"
                                            "连接断重新搜索");
    const auto glyphs = [&](const char *name, int pixels, QFont::HintingPreference hinting) {
        begin();
        QImage canvas(1400, 40, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        font.setHintingPreference(hinting);
        painter.setFont(font);
        painter.drawText(QPoint(0, 30), captions);
        end(name);
    };
    glyphs("glyphs-15px", 15, QFont::PreferDefaultHinting);
    glyphs("glyphs-16px-unhinted", 16, QFont::PreferNoHinting);
    glyphs("glyphs-17px", 17, QFont::PreferDefaultHinting);
    glyphs("glyphs-18px-unhinted", 18, QFont::PreferNoHinting);

    const QString logo = programDir + QStringLiteral("/123/Chinese&English.jpg");
    begin();
    {
        QImageReader reader(logo);
        if (!reader.canRead())
            std::printf("PIECE-NOTE the logo cannot be read: %s\n",
                        qPrintable(reader.errorString()));
    }
    end("jpeg-plugin");

    begin();
    pictures.emplace_back(logo);
    end("logo");
    std::printf("PIECE-NOTE logo %dx%d, %lld bytes on disk\n", pictures.back().width(),
                pictures.back().height(), (long long)QFileInfo(logo).size());

    begin();
    pictures.emplace_back(programDir + QStringLiteral("/123/BQ.jpg"));
    end("about-picture");
    std::printf("PIECE-NOTE about picture %dx%d\n", pictures.back().width(),
                pictures.back().height());

    // The link panel's search: every port number opened in turn, as LinkController's
    // FindSerialPorts does, without the box it fills.
    begin();
    int found = 0;
    {
        Links links(programDir);
        SerialLink &port = links.serial();
        port.holdSystemPorts(portpaths::listSystemPorts());
        for (int n = 1; n <= kPortsSearched; ++n) {
            if (!port.setPortNumber(n))
                continue;
            const auto result = port.open();
            if (result == SerialLink::OpenResult::Opened) {
                port.close();
                ++found;
            } else if (result == SerialLink::OpenResult::Held) {
                ++found;
            }
        }
    }
    end("port-search");
    std::printf("PIECE-NOTE the port search found %d ports\n", found);

    // The timetable list as the window has it, built and then shown on its own and painted
    // (laying out its rows asks every row for its size); then, with the glyphs drawn once, the
    // same again, and the same with all rows declared of one size.
    const auto timetableList = [&](const char *name, bool uniform, bool show) {
        begin();
        auto *list = new QListWidget;
        kept.emplace_back(list);
        list->resize(449, 366);
        list->setSelectionMode(QAbstractItemView::MultiSelection);
        list->setUniformItemSizes(uniform);
        for (int n = 0; n < schedule::kRowCount; ++n)
            list->addItem(schedule::designRow(n));
        if (show)
            showAndPaint(app, list);
        end(name);
    };
    timetableList("timetable-list", false, false);
    timetableList("timetable-list-shown", false, true);
    timetableList("timetable-list-shown-again", false, true);
    timetableList("timetable-list-shown-uniform", true, true);

    // The device number box, filled one entry at a time as the window does and in one call.
    QStringList deviceNumbers;
    for (int n = 0; n <= 255; ++n)
        deviceNumbers.append(n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n));
    const auto deviceBox = [&](const char *name, bool oneCall) {
        begin();
        auto *device = new ByteBox;
        kept.emplace_back(device);
        if (oneCall) {
            device->addItems(deviceNumbers);
        } else {
            for (const QString &number : deviceNumbers)
                device->addItem(number);
        }
        end(name);
    };
    deviceBox("device-box", false);
    deviceBox("device-box-one-call", true);
    deviceBox("device-box-again", false);

    begin();
    for (int box = 0; box < 2; ++box) {
        auto *speed = new ByteBox;
        kept.emplace_back(speed);
        for (int n = 5; n <= 99; ++n)
            speed->addItem(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    }
    end("speed-boxes");

    // An empty choice box, as the window makes six of them, and an editable combo box given
    // its line edit at once.
    begin();
    kept.emplace_back(new ChoiceBox);
    end("choice-box-empty");
    begin();
    {
        auto *box = new QComboBox;
        kept.emplace_back(box);
        box->setLineEdit(new QLineEdit(box));
    }
    end("combo-given-line-edit");

    // The whole window with all of the above already paid for once in this process.
    begin();
    auto *form = new MainForm(programDir, datadirectory::choose(programDir));
    kept.emplace_back(form);
    end("window-built-after");
    std::printf("PIECE-NOTE the window holds %lld widgets: %lld choice boxes, %lld labels, %lld "
                "buttons, %lld line edits\n",
                (long long)form->findChildren<QWidget *>().size(),
                (long long)form->findChildren<ChoiceBox *>().size(),
                (long long)form->findChildren<QLabel *>().size(),
                (long long)form->findChildren<QAbstractButton *>().size(),
                (long long)form->findChildren<QLineEdit *>().size());

    begin();
    showAndPaint(app, form);
    end("window-painted-after");
    kept.clear();
    return 0;
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
    std::sort(more.begin(), more.end(),
              [](const auto &a, const auto &b) { return a.first > b.first; });
    std::printf("  the mappings that differ most (KiB console / bare / more):\n");
    for (std::size_t i = 0; i < more.size() && i < 16; ++i) {
        if (more[i].first < 64)
            break;
        const auto &kib = byName[more[i].second];
        std::printf("    %7ld %7ld %7ld  %s\n", kib.first, kib.second, more[i].first,
                    more[i].second.c_str());
    }
    for (const auto &[who, run] :
         {std::pair{"console", &console}, std::pair{"bare window", &floor}}) {
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

// The pieces child a few times; the median of each piece.
void measurePieces(const std::string &self, const QString &programDir, std::set<std::string> &other)
{
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> ms;
    std::map<std::string, std::vector<double>> cpu;
    std::map<std::string, std::vector<double>> kib;
    std::set<std::string> notes;
    for (int i = 0; i < kPieceRuns; ++i) {
        SpawnedProcess child;
        std::string error;
        if (!child.start({self, kPiecesMode, programDir.toStdString()}, &error)) {
            other.insert(error);
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
        std::string line;
        while (child.readLine(deadline, &line)) {
            char name[128];
            double pieceMs = 0.0;
            double pieceCpu = 0.0;
            long pieceKib = 0;
            if (std::sscanf(line.c_str(), "PIECE\t%127s\t%lf\t%lf\t%ld", name, &pieceMs, &pieceCpu,
                            &pieceKib) == 4) {
                if (!ms.count(name))
                    order.push_back(name);
                ms[name].push_back(pieceMs);
                cpu[name].push_back(pieceCpu);
                kib[name].push_back(double(pieceKib));
            } else if (line.rfind("PIECE-NOTE ", 0) == 0) {
                notes.insert(line.substr(11));
            } else {
                other.insert(line);
            }
        }
        child.reap(deadline);
    }
    std::printf("pieces of the console's start-up, one after another in a child of their own "
                "after its QApplication (%d runs, medians):\n",
                kPieceRuns);
    std::printf("  %-30s %8s %8s %8s %10s\n", "piece", "ms", "min", "CPU ms", "KiB more");
    for (const std::string &name : order)
        std::printf("  %-30s %8.2f %8.2f %8.2f %+10.0f\n", name.c_str(), median(ms[name]),
                    minOf(ms[name]), median(cpu[name]), median(kib[name]));
    for (const std::string &note : notes)
        std::printf("  %s\n", note.c_str());
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

    measurePieces(self, dir.path(), other);

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
    if (argc >= 3 && std::strcmp(argv[1], kPiecesMode) == 0)
        return runPieces(argc, argv);
    return runParent();
}
