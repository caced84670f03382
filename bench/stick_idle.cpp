// What the joystick support adds to a console left alone: its CPU share with joysticks switched
// off (CORVANE_JOYSTICK=none), then with the support on and no device attached, then with a
// virtual gamepad attached and its stick centred. Each phase lasts BENCH_STICK_IDLE_S seconds
// (20 by default). For reference, the same console with joysticks off and a 10 ms tick that does
// nothing: what waking the window thread on the scan's grid costs by itself on this machine.
#include "benchsupport.h"
#include "virtualstick.h"

#include "app/mainform.h"
#include "control/stickcontrol.h"
#include "control/ticker.h"

#include <QApplication>

#include <cstdio>
#include <thread>

using namespace bench;

namespace {

constexpr double kDefaultSeconds = 20.0;
constexpr int kSettleMs = 2000;
// Added share of one core, in per cent.
constexpr double kTargetPercent = 0.1;

// The process's CPU share over the phase, in per cent of one core.
double measure(const char *title, double seconds)
{
    runEventLoop(kSettleMs);
    const double cpu0 = processCpuSeconds();
    const TimePoint from = Clock::now();
    runEventLoop(int(seconds * 1000.0));
    const double wallS = msBetween(from, Clock::now()) / 1000.0;
    const double percent = 100.0 * (processCpuSeconds() - cpu0) / wallS;
    std::printf("  %-44s %.3f %% of one core over %.1f s\n", title, percent, wallS);
    return percent;
}

// The console's own pseudo-terminal, published though no link is opened.
constexpr int kComPort = 7;

int fail(const QString &why)
{
    std::printf("stick_idle: could not run: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const double seconds = secondsFromEnvironment("BENCH_STICK_IDLE_S", kDefaultSeconds);
    std::printf("stick_idle: the console left alone, no link open\n");
    std::printf("  machine: %d cores, /proc/loadavg at the start: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));

    double off = 0;
    double bareTick = 0;
    {
        qputenv("CORVANE_JOYSTICK", "none");
        Console console(kComPort);
        off = measure("joysticks switched off:", seconds);
        Ticker tick(10);
        int ticks = 0;
        QObject::connect(&tick, &Ticker::tick, [&ticks] { ++ticks; });
        bareTick = measure("switched off, an empty 10 ms tick added:", seconds);
        std::printf("  %d empty ticks\n", ticks);
        qunsetenv("CORVANE_JOYSTICK");
    }
    Console console(kComPort);
    const double noDevice = measure("joysticks on, none attached:", seconds);
    VirtualStick pad;
    if (!pad.isValid())
        return fail(QStringLiteral("no virtual gamepad"));
    if (!runEventLoopUntil([&] { return console.form->stick().attached(); }, 3000))
        return fail(QStringLiteral("the console did not find the gamepad"));
    const double attached = measure("a gamepad attached, its stick centred:", seconds);
    std::printf("  load at the end: %s\n", qPrintable(loadAverage()));

    const double addedIdle = noDevice - off;
    const double addedDevice = attached - off;
    printFigure({"stick-idle-no-device", addedIdle, 3, "% of one core added",
                 atMost(kTargetPercent), addedIdle <= kTargetPercent});
    printFigure({"stick-idle-device", addedDevice, 3, "% of one core added", atMost(kTargetPercent),
                 addedDevice <= kTargetPercent});
    printReference("stick-idle-empty-tick", bareTick - off, 3, "% of one core added");
    return 0;
}
