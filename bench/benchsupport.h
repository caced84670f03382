#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "figures.h"
#include "linesupport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MainForm;
class QPushButton;

// What the benchmarks share: clocks and CPU time, a pseudo-terminal for the serial link, a
// loopback listening socket for TCP, reassembly of the jog frames the console sends, and the
// real console window with a link open.
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

// The serial line of a benchmark is the tests' pseudo-terminal pair.
using PseudoTerminal = PtyPair;

// A non-blocking TCP socket listening on a loopback address; -1 and an error text on failure.
int listenOnLoopback(const char *address, std::uint16_t port, QString *error);

// The head's end reading the console's jog frames, with the arrival time of each good one
// (taken at the read that completed it).
class JogFrameStream : public FrameStream
{
public:
    explicit JogFrameStream(QByteArray expected) : FrameStream(std::move(expected)) {}

    void feed(const char *data, std::size_t n, TimePoint at)
    {
        const int completed = FrameStream::feed(data, qsizetype(n));
        if (keepTimes)
            frameTimes.insert(frameTimes.end(), std::size_t(completed), at);
    }

    std::vector<TimePoint> frameTimes;
    // Off where the reader runs for long and its own memory must not grow.
    bool keepTimes = true;
};

// The gaps between consecutive times, in milliseconds.
std::vector<double> gapsMs(const std::vector<TimePoint> &times);

// The real console window in a temporary program directory, operator messages answered at once.
class Console
{
public:
    Console();
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString programDir() const { return m_dir.path(); }
    // Creates and shows the window. Call after publishing serial ports into programDir().
    bool start(QString *error);
    // Publishes the pseudo-terminal as COMn in programDir(), then start().
    bool startWithPort(PseudoTerminal &pty, int n, QString *error);
    MainForm &form() { return *m_form; }

    // Opens the serial link on COMn the way the operator does, with device number 01, and
    // forgets the connect message.
    bool openSerial(int n, QString *error);
    // Ticks the network box and connects to address:4196, with device number 01.
    bool openTcp(const QString &address, QString *error);

    QPushButton *button(const char *name);

    QStringList messages;

private:
    ProgramDir m_dir;
    std::unique_ptr<MainForm> m_form;
};

} // namespace bench
