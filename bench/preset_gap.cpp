// The spacing of a preset burst as the head sees it: the preset dialog opened in set mode with
// the serial link open on a pseudo-terminal, a preset button pressed, and the three frames
// timed on arrival by a thread at the head's end. Five bursts; the gaps are the figures. Then
// a press with another program holding the preset store locked: the longest the window thread
// went without turning its event loop, from the press until the last copy is out and the store
// has answered, is a figure too.
#include "benchsupport.h"

#include "app/mainform.h"
#include "link/sendpath.h"
#include "presets/form1.h"
#include "presets/presetcontroller.h"
#include "presets/presettable.h"
#include "presets/presettexts.h"

#include "otherprogram.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace bench;

namespace {

constexpr int kComPort = 7;
constexpr int kBursts = 5;
constexpr int kPreset = 3;
constexpr int kFramesPerBurst = 3;
constexpr double kPauseMs = double(std::chrono::milliseconds(PresetController::kPause).count());
// One jog-scan tick of lateness allowed on top of the pause.
constexpr double kSlackMs = 10.0;
// The longest the window thread may be held by the console's own work during a press: the burst
// is paced by timers and the store works on a thread of its own.
constexpr double kStallTargetMs = 20.0;

int fail(const QString &why)
{
    std::printf("preset_gap: could not run: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    Console console(kComPort);
    QString error;
    if (!openSerialAt01(console, &error))
        return fail(error);
    QPushButton *opening = console.get<QPushButton>("设置预置位");
    if (!opening)
        return fail(QStringLiteral("no button named 设置预置位"));
    runEventLoop(200);
    console.pty.drain(50);

    // Set preset 3 at address 01, the address the link was opened with.
    FarEnd::Options options;
    options.expected = hex("FF 01 63 00 00 00 64");
    FarEnd head(console.pty.master(), options);
    for (int burst = 0; burst < kBursts; ++burst) {
        QTest::mouseClick(opening, Qt::LeftButton);
        auto *dialog = console.form->findChild<Form1 *>(QStringLiteral("Form1"));
        QPushButton *preset =
            dialog ? dialog->findChild<QPushButton *>(QStringLiteral("预置位%1").arg(kPreset))
                   : nullptr;
        if (!preset || !dialog->isVisible())
            return fail(QStringLiteral("the preset dialog did not open with its buttons"));
        runEventLoop(200);
        QTest::mouseClick(preset, Qt::LeftButton);
        runEventLoop(300);
    }
    head.stop();

    const FrameStream frames = head.counts();
    const std::vector<TimePoint> frameTimes = timesOf(head.frames());
    std::printf("preset_gap: set preset %d pressed %d times in the preset dialog, serial link "
                "through a pseudo-terminal as COM%d\n",
                kPreset, kBursts, kComPort);
    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
    std::printf("  frames at the head: %lld (%d expected); other frames %lld, wrong checksum "
                "%lld, stray bytes %lld\n",
                frames.goodFrames, kBursts * kFramesPerBurst, frames.unexpectedFrames,
                frames.wrongChecksum, frames.strayBytes);
    if (!console.prompts.messages.isEmpty())
        std::printf("  operator messages: %s\n", qPrintable(console.prompts.messages.join(u'|')));
    if (frames.goodFrames != kBursts * kFramesPerBurst || frames.unexpectedFrames != 0)
        return fail(QStringLiteral("the head did not see %1 bursts of three set-preset frames")
                        .arg(kBursts));

    std::vector<double> first;
    std::vector<double> second;
    for (int burst = 0; burst < kBursts; ++burst) {
        const std::vector<TimePoint> times(frameTimes.begin() + burst * kFramesPerBurst,
                                           frameTimes.begin() + (burst + 1) * kFramesPerBurst);
        const std::vector<double> gaps = gapsMs(times);
        first.push_back(gaps[0]);
        second.push_back(gaps[1]);
        std::printf("  burst %d: gaps %.3f ms and %.3f ms\n", burst + 1, gaps[0], gaps[1]);
    }
    std::printf("  first gap:  median %.3f ms, min %.3f, max %.3f\n", median(first), minOf(first),
                maxOf(first));
    std::printf("  second gap: median %.3f ms, min %.3f, max %.3f\n", median(second), minOf(second),
                maxOf(second));

    // A preset press against a store another program holds: a 1 ms heartbeat on the window
    // thread tells the longest time it went without turning its event loop while the copies go
    // out and the store waits for the lock and gives up.
    OtherProgram other(presettable::filePathIn(console.dir.path()));
    if (!other.seed(QStringLiteral("01"), QStringList(9, QStringLiteral("东门"))))
        return fail(QStringLiteral("cannot seed the preset store from a second connection"));
    std::vector<TimePoint> beats;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { beats.push_back(Clock::now()); });
    const auto settled = [&] {
        return runEventLoopUntil(
            [&] {
                return console.form->presets().storeWorkPending() == 0 &&
                       !console.form->send().repeating();
            },
            10000);
    };
    QTest::mouseClick(opening, Qt::LeftButton);
    if (!settled() || !other.run(QStringLiteral("BEGIN EXCLUSIVE")))
        return fail(QStringLiteral("cannot lock the preset store from a second connection"));
    console.prompts.messages.clear();
    heartbeat.start(1);
    runEventLoop(50);
    auto *dialog = console.form->findChild<Form1 *>(QStringLiteral("Form1"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("预置位%1").arg(kPreset)),
                      Qt::LeftButton);
    const bool answered = settled();
    runEventLoop(50);
    heartbeat.stop();
    other.run(QStringLiteral("ROLLBACK"));
    if (!answered)
        return fail(QStringLiteral("the preset store did not answer"));
    const double stall = maxOf(gapsMs(beats));
    std::printf("  locked store: press over %.0f ms, %zu heartbeats, longest gap %.1f ms; "
                "messages: %s\n",
                msBetween(beats.front(), beats.back()), beats.size(), stall,
                qPrintable(console.prompts.messages.join(u'|')));

    const std::string target =
        std::to_string(int(kPauseMs)) + " to " + std::to_string(int(kPauseMs + kSlackMs));
    const auto spaced = [](double ms) { return ms >= kPauseMs && ms <= kPauseMs + kSlackMs; };
    printFigure({"preset-gap-1", median(first), 2, "ms", target, spaced(median(first))});
    printFigure({"preset-gap-2", median(second), 2, "ms", target, spaced(median(second))});
    printFigure(
        {"preset-locked-stall", stall, 1, "ms", atMost(kStallTargetMs), stall <= kStallTargetMs});
    return 0;
}
