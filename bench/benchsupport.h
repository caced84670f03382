#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "farend.h"
#include "figures.h"
#include "support.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MainForm;
class QPushButton;

// What the benchmarks add to the tests' support (the console fixture, the far end, the
// pseudo-terminal and the loopback listener): clocks and CPU time, an event loop that runs for a
// while, percentiles, the replies of a flooding head and the link opened with device number 01.
namespace bench {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

double msBetween(TimePoint from, TimePoint to);

// CPU time (user + system) in seconds so far, of the whole process or of the calling thread.
double processCpuSeconds();
double threadCpuSeconds();

// Runs the GUI event loop for ms milliseconds. A real QEventLoop that blocks in the event
// dispatcher, so timers fire when they are due (QTest::qWait naps 10 ms between turns).
void runEventLoop(int ms);
// Runs the event loop until done() is true or timeoutMs has passed; returns done().
bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs);

// Nearest-rank percentile (p in 0..100) of the values; 0 when there are none.
double percentile(std::vector<double> values, double p);

// The times that fall between from and to, both included.
std::vector<TimePoint> within(const std::vector<TimePoint> &times, TimePoint from, TimePoint to);
// loadAverageLine() as a QString.
QString loadAverage();

QString metText(bool met);

// The bytes of the jog frame for "up" at address 01 with tilt speed 63.
QByteArray upFrameAt01();

// The replies a flooding head sends in turn: a 7-byte frame, the 11-byte "T123456llll" and the
// 8-byte "T1234567".
FarEnd::Source floodReplies();

// The arrival times of the frames a far end kept.
std::vector<TimePoint> timesOf(const QList<FarEnd::Frame> &frames);

// The gaps between consecutive times, in milliseconds.
std::vector<double> gapsMs(const std::vector<TimePoint> &times);

// Opens the serial link on the console's pseudo-terminal with device number 01, as an operator
// does; the reason, with the operator's messages, when it does not open.
bool openSerialAt01(Console &console, QString *error);
// Ticks the network box and connects to address:4196 with device number 01.
bool openTcpAt01(Console &console, const QString &address, QString *error);

} // namespace bench
