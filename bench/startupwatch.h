#pragma once

#include <QObject>

#include <functional>
#include <string>

class QEvent;
class QWidget;

// What a program being timed from its start notes about itself: the moments it passes, from
// main() to its window on screen and painted, reported on one line to the process that started
// it. Used by the console's start-up child and by the bare window it is measured against, so
// both are timed by the same code at the same moments.
namespace bench {

// The steady clock in nanoseconds, which a parent and its children share.
long long nowNs();

// The moments a start passes, in nanoseconds of the steady clock.
struct Moments
{
    long long main = 0;
    long long app = 0;
    // The window built (for the console: its constructor returned, the clock started).
    long long form = 0;
    long long shown = 0;
    long long exposed = 0;
    long long painted = 0;
    // Done: exposed, painted and whatever else the program waits for (the console: its clock).
    long long tick = 0;
    long rssKib = 0;
    // Of the window thread up to the tick: time on a CPU and ready but waiting for one.
    long long onCpuNs = 0;
    long long waitingNs = 0;
    // Times the window thread gave up the CPU to wait for something, up to the tick.
    long sleeps = 0;

    // The line a child prints ("STARTUP main=... sleeps=...") and its reading in the parent.
    std::string line() const;
    bool parse(const std::string &line);
};

// In the child: notes the first exposure of the window and its first paint, whichever object
// the platform delivers them to, and once the window is exposed, painted and ready() says so,
// notes the tick, prints the moments and calls finish(). ready() is asked right after the first
// paint (from the event loop) and at every check().
class StartupWatch : public QObject
{
public:
    StartupWatch(QWidget *window, long long mainNs, long long appNs);

    void windowBuilt();
    void shown();
    void check();

    std::function<bool()> ready;
    std::function<void()> finish;
    // Also print the process's mappings (printMappings()) once the moments are out.
    bool printMaps = false;
    Moments moments;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
};

// The resident size of every mapping of this process from /proc/self/smaps, summed by what is
// mapped: one line "MAP\t<KiB>\t<file, or [heap], [stack], [anon] ...>" each, then "MAP-END".
void printMappings();

} // namespace bench
