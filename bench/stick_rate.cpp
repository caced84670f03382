// A virtual gamepad on a serial link through a pseudo-terminal: how soon a deflection of the
// stick reaches the head's end of the line as a frame, and how regularly the frames come while
// the stick is held over.
#include "benchsupport.h"
#include "farend.h"
#include "virtualstick.h"

#include "app/mainform.h"
#include "control/stickcontrol.h"

#include <QApplication>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

using namespace bench;

namespace {

constexpr int kComPort = 7;
constexpr int kDeflections = 200;
constexpr int kHoldMs = 10000;
constexpr double kScanMs = 10.0;

// One tick of the scan, and a millisecond for the line and the reader.
constexpr double kFirstFrameMs = 11.0;
constexpr double kMinRate = 99.5;

int fail(const QString &why)
{
    std::printf("stick_rate: could not run: %s\n", qPrintable(why));
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
    VirtualStick pad;
    if (!pad.isValid())
        return fail(QStringLiteral("no virtual gamepad"));
    if (!runEventLoopUntil([&] { return console.form->stick().attached(); }, 3000))
        return fail(QStringLiteral("the console did not find the gamepad"));
    runEventLoop(200);
    pty.drain(50);

    FarEnd head(pty.master());
    // The operator's hand on a thread of its own, as independent of the console's ticks as a hand
    // is: it waits a while from a fixed seed, pushes the stick over, waits for the frame at the far
    // end, and lets go. Meanwhile the window thread runs its event loop undisturbed.
    std::vector<double> firstMs;
    int missing = 0;
    std::atomic<bool> done{false};
    std::thread hand([&] {
        std::mt19937 random(17);
        std::uniform_int_distribution<int> waitUs(30000, 50000);
        for (int i = 0; i < kDeflections; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(waitUs(random)));
            const long long before = head.count();
            const TimePoint deflected = Clock::now();
            pad.setStick(1, 0);
            const TimePoint deadline = deflected + std::chrono::seconds(1);
            while (head.count() <= before && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (head.count() > before)
                firstMs.push_back(msBetween(deflected, head.frames().at(qsizetype(before)).at));
            else
                ++missing;
            pad.centre();
        }
        done = true;
    });
    runEventLoopUntil([&] { return done.load(); }, kDeflections * 2000);
    hand.join();
    runEventLoop(50);

    // Held over for a while.
    const long long before = head.count();
    const TimePoint from = Clock::now();
    pad.setStick(1, 0);
    runEventLoop(kHoldMs);
    const TimePoint to = Clock::now();
    pad.centre();
    runEventLoop(100);
    head.stop();
    const QList<FarEnd::Frame> frames = head.frames();
    long long held = 0;
    const QByteArray right = QByteArray::fromHex("ff010002"
                                                 "3f0042");
    long long wrong = 0;
    for (qsizetype i = qsizetype(before); i < frames.size(); ++i) {
        if (frames.at(i).at > to)
            break;
        ++held;
        wrong += frames.at(i).bytes != right;
    }
    const double holdS = msBetween(from, to) / 1000.0;
    const double rate = double(held) / holdS;
    const double p50 = percentile(firstMs, 50);
    const double p99 = percentile(firstMs, 99);

    std::printf("stick_rate: a virtual gamepad's stick, full right, on the serial link "
                "(pseudo-terminal as COM%d), address 01, pan speed 63\n",
                kComPort);
    std::printf("  machine: %d cores, /proc/loadavg at the end: %s\n",
                int(std::thread::hardware_concurrency()), qPrintable(loadAverage()));
    std::printf("  deflection to first frame at the far end: %zu deflections (%d without a frame), "
                "p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                firstMs.size(), missing, p50, p99, maxOf(firstMs));
    std::printf("  held over %.3f s: %lld frames (%.0f expected at one per %.0f ms), %lld not the "
                "full-right frame, %.2f frames/s\n",
                holdS, held, holdS * 1000.0 / kScanMs, kScanMs, wrong, rate);
    if (!console.prompts.messages.isEmpty())
        std::printf("  operator messages: %s\n", qPrintable(console.prompts.messages.join(u'|')));
    const bool firstMet = missing == 0 && !firstMs.empty() && p99 <= kFirstFrameMs;
    const bool rateMet = wrong == 0 && rate >= kMinRate;
    printFigure({"stick-first-p99", p99, 3, "ms", atMost(kFirstFrameMs), firstMet});
    printFigure({"stick-rate", rate, 2, "frames/s", atLeast(kMinRate), rateMet});
    return 0;
}
