// Whether the console's memory stays flat under use: "up" held on the serial link through a
// pseudo-terminal while the head's end reads every jog frame and answers continuously, for
// BENCH_SOAK_S seconds (30 by default, ten minutes by hand), with the resident size sampled
// every second.
#include "benchsupport.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/jogcontrol.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <optional>
#include <thread>

using namespace bench;

namespace {

constexpr double kDefaultSeconds = 30.0;
constexpr int kComPort = 7;
// After each reply: about 850 replies a second, several times what a 9600-baud line carries.
constexpr int kPauseUs = 1000;
constexpr double kLongestWarmUpS = 5.0;
constexpr double kTargetGrowthMib = 1.0;

struct Sample
{
    double atS;
    long kib;
    // The C heap of the whole process: bytes in use, and bytes taken from the system for it.
    std::size_t heapInUse;
    std::size_t heapHeld;
};

Sample sampleAt(double atS)
{
    const struct mallinfo2 heap = mallinfo2();
    return {atS, residentKib(), heap.uordblks, heap.arena + heap.hblkhd};
}

double mib(std::size_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

int fail(const QString &why)
{
    std::printf("soak: could not run: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const double soakS = secondsFromEnvironment("BENCH_SOAK_S", kDefaultSeconds);
    const double warmUpS = std::min(kLongestWarmUpS, soakS / 3.0);

    Console console(kComPort);
    QString error;
    if (!openSerialAt01(console, &error))
        return fail(error);
    QPushButton *up = console.get<QPushButton>("上");
    if (!up)
        return fail(QStringLiteral("no button named 上"));
    runEventLoop(1000);
    const Sample start = sampleAt(0.0);

    // The head's end shares this process: it counts frames but keeps nothing per frame.
    FarEnd::Options options;
    options.source = floodReplies();
    options.pause = std::chrono::microseconds(kPauseUs);
    options.keepFrames = false;
    FarEnd peer(console.pty.master(), options);
    const TimePoint pressAt = Clock::now();
    QTest::mousePress(up, Qt::LeftButton);
    const bool held = console.form->jog().JogHeld[1];

    std::vector<Sample> samples;
    std::optional<Sample> warm;
    while (true) {
        runEventLoop(1000);
        samples.push_back(sampleAt(msBetween(pressAt, Clock::now()) / 1000.0));
        if (!warm && samples.back().atS >= warmUpS)
            warm = samples.back();
        if (samples.back().atS >= soakS)
            break;
    }

    const TimePoint releaseAt = Clock::now();
    QTest::mouseRelease(up, Qt::LeftButton);
    peer.setSending(false);
    const bool stillOpen = console.form->link().linkOpen();
    runEventLoop(300);
    peer.stop();
    const long long goodFrames = peer.counts().goodFrames;

    const Sample &end = samples.back();
    long maxKib = start.kib;
    for (const Sample &s : samples)
        maxKib = std::max(maxKib, s.kib);
    const double holdS = msBetween(pressAt, releaseAt) / 1000.0;
    const double growthMib = kibToMib(end.kib - warm->kib);

    std::printf("soak: \"up\" held %.1f s on the serial link (pseudo-terminal as COM%d) while the "
                "head answers, pausing %d us after each reply\n",
                holdS, kComPort, kPauseUs);
    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
    std::printf("  button held: %s; link still open at release: %s\n", held ? "yes" : "NO",
                stillOpen ? "yes" : "NO");
    std::printf("  jog frames read by the head: %lld (%.1f/s); replies sent: %lld (%.0f/s, %lld "
                "bytes); line full %lld times\n",
                goodFrames, double(goodFrames) / holdS, peer.repliesSent,
                double(peer.repliesSent) / holdS, peer.bytesSent, peer.lineFull);
    std::printf("  resident size (VmRSS): after start-up %.2f MiB, after %.0f s of warm-up "
                "%.2f MiB, at the end %.2f MiB, largest %.2f MiB\n",
                kibToMib(start.kib), warmUpS, kibToMib(warm->kib), kibToMib(end.kib),
                kibToMib(maxKib));
    std::printf("  C heap in use: after start-up %.2f MiB, after warm-up %.2f MiB, at the end "
                "%.2f MiB; taken from the system: %.2f, %.2f, %.2f MiB\n",
                mib(start.heapInUse), mib(warm->heapInUse), mib(end.heapInUse), mib(start.heapHeld),
                mib(warm->heapHeld), mib(end.heapHeld));
    std::printf("  samples (s: resident/heap in use, MiB):");
    const std::size_t step = std::max<std::size_t>(1, samples.size() / 20);
    for (std::size_t i = 0; i < samples.size(); i += step)
        std::printf(" %.0f: %.2f/%.2f", samples[i].atS, kibToMib(samples[i].kib),
                    mib(samples[i].heapInUse));
    std::printf("\n");
    if (!peer.error.isEmpty() || peer.peerClosed)
        std::printf("  head: %s%s\n", qPrintable(peer.error),
                    peer.peerClosed ? " (the console closed its end)" : "");
    if (!console.prompts.messages.isEmpty())
        std::printf("  operator messages: %s\n", qPrintable(console.prompts.messages.join(u'|')));

    const bool soaked = held && stillOpen && goodFrames > 0 && peer.repliesSent > 0;
    if (!soaked)
        std::printf("  the soak did not run as meant: the growth below says nothing\n");
    printFigure({"rss-growth", growthMib, 3, "MiB", "< " + std::to_string(int(kTargetGrowthMib)),
                 soaked && growthMib < kTargetGrowthMib});
    return 0;
}
