// The receive and send paths writing into the log while the log box shows it, under the
// offscreen platform. The input is a run of operations: reply chunks, frames, text commands,
// clearing the log, the link panel opening and closing, turns of the event loop, and steps that
// move the clock past the box's refresh interval so that its delayed repaint runs on whatever the
// log holds by then.
#include "fuzzsupport.h"
#include "link/links.h"
#include "link/logtext.h"
#include "link/receivepath.h"
#include "link/sendpath.h"
#include "protocol/frame.h"
#include "protocol/reply.h"
#include "ui/logbox.h"

#include <QApplication>
#include <QDir>
#include <QTextCursor>

#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <atomic>

namespace {

std::atomic<qint64> clockAheadNs{0};

using ClockGetTime = int (*)(clockid_t, timespec *);

ClockGetTime realClockGetTime()
{
    static const auto real = reinterpret_cast<ClockGetTime>(dlsym(RTLD_NEXT, "clock_gettime"));
    return real;
}

} // namespace

// The monotonic clock of the whole process, as far ahead as the clock steps have moved it. Qt's
// timers and QElapsedTimer both read it, so a step makes the box's 40 ms pass at once instead of
// the harness sleeping; libFuzzer's own time limits read the wall clock and are not affected.
extern "C" int clock_gettime(clockid_t clock, timespec *time) noexcept
{
    const int result = realClockGetTime()(clock, time);
    if (result != 0 || (clock != CLOCK_MONOTONIC && clock != CLOCK_MONOTONIC_COARSE &&
                        clock != CLOCK_MONOTONIC_RAW && clock != CLOCK_BOOTTIME))
        return result;
    const qint64 ns = qint64(time->tv_sec) * 1000000000 + time->tv_nsec + clockAheadNs.load();
    time->tv_sec = ns / 1000000000;
    time->tv_nsec = ns % 1000000000;
    return result;
}

namespace {

// Written out again here so that a wrong label in the code is caught.
const QString kSentLabel = QStringLiteral(u"\r\n-->发送：");
const QString kLineEnd = QStringLiteral("\r\n");

// Everything that lives for the whole run. It is never torn down: libFuzzer leaves by exit(),
// when Qt's own global objects may already be gone.
struct Console
{
    int argc = 1;
    char name[16] = "fuzz_logpaths";
    char *argv[2] = {name, nullptr};
    QApplication app{argc, argv};
    Links links{QDir::tempPath()};
    LogText log;
    ReceivePath receive{links.all(), log};
    SendPath send{links, log};
    LogBox box{log};
    int refusedFrames = 0;
};

Console *console = nullptr;

// What the log must hold, worked out from the rules of link/logtext.h alone.
struct Expectation
{
    QString text;
    // The size of the abandoned entry the log ends with, 0 when it ends otherwise.
    qsizetype lastPartial = 0;

    void entry(const QString &added)
    {
        text += added;
        if (text.size() >= LogText::kLimit)
            text.clear();
        lastPartial = 0;
    }
    void partial(const QString &added)
    {
        if (added.isEmpty())
            return;
        if (text.size() >= LogText::kLimit)
            text.clear();
        text += added;
        lastPartial = added.size();
    }
    void clear()
    {
        text.clear();
        lastPartial = 0;
    }
};

void checkLog(const Expectation &expected, const char *after)
{
    const QString &text = console->log.text();
    const QString detail =
        QStringLiteral("after %1: log \"%2\"\nexpected \"%3\"")
            .arg(QLatin1String(after), fuzz::escaped(text), fuzz::escaped(expected.text));
    fuzz::require(text == expected.text, "log text", detail);
    // A completed entry never leaves the log at the limit; an abandoned one leaves it at most
    // one abandoned entry past it, however many come in a row.
    fuzz::require(text.size() < LogText::kLimit + expected.lastPartial, "log length", detail);
}

// The box brought up to date: it shows the end of the log (CR LF as line breaks, at most the
// last few thousand characters of a runaway reply), with the caret at the end.
void checkBox()
{
    QString whole = console->log.text();
    whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString shown = console->box.toPlainText();
    const QString detail =
        QStringLiteral("box \"%1\"\nlog \"%2\"")
            .arg(fuzz::escaped(shown.right(200)), fuzz::escaped(whole.right(200)));
    // (A null QString does not end with an empty one, so the empty box is asked apart.)
    fuzz::require(shown.isEmpty() || whole.endsWith(shown), "the box shows the end of the log",
                  detail);
    fuzz::require(shown.size() >= qMin<qsizetype>(whole.size(), 2048),
                  "the box shows more than a sliver of the log", detail);
    fuzz::require(console->box.textCursor().atEnd(), "caret at the end", detail);
    fuzz::require(console->box.text() == console->log.text(), "box text is the log text", detail);
}

void moveClockPastRefresh()
{
    constexpr qint64 kStepMs = LogBox::kRefreshMs + LogBox::kCatchUpMs + 1;
    clockAheadNs += kStepMs * 1000000;
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    console = new Console;
    QObject::connect(&console->send, &SendPath::frameRefused, [] { ++console->refusedFrames; });
    console->box.resize(300, 120);
    console->box.show();
    QCoreApplication::processEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    console->log.clear();
    console->links.setOpen(false);
    Expectation expected;

    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 7)) {
        case 0:
        case 1: {
            const QByteArray chunk = fuzz::bytesOf(input.ConsumeRandomLengthString(4096));
            const protocol::ReplyLog reply = protocol::classifyReply(chunk);
            console->receive.LogReceivedChunk(chunk);
            if (reply.kind == protocol::ReplyKind::Dropped) {
                checkLog(expected, "a dropped chunk");
            } else if (reply.completed) {
                expected.entry(reply.text);
                checkLog(expected, "a reply");
            } else {
                expected.partial(reply.text);
                checkLog(expected, "an abandoned reply");
            }
            break;
        }
        case 2: {
            protocol::Command command;
            command.kind = protocol::Command::Kind(input.ConsumeIntegralInRange<int>(0, 5));
            command.device = input.ConsumeIntegral<quint8>();
            command.bits = input.ConsumeIntegral<quint8>();
            command.pan = input.ConsumeIntegral<quint8>();
            command.tilt = input.ConsumeIntegral<quint8>();
            command.number = input.ConsumeIntegralInRange<int>(-1, 10);
            command.on = input.ConsumeBool();
            const int refusedBefore = console->refusedFrames;
            console->send.send(command, {});
            if (console->links.isOpen()) {
                // A preset or pattern out of range sends and logs nothing.
                if (const std::optional<QByteArray> bytes = protocol::bytesOf(command))
                    expected.entry(kSentLabel + protocol::hexText(*bytes) + kLineEnd);
            } else {
                fuzz::require(console->refusedFrames == refusedBefore + 1,
                              "closed link refuses frames");
            }
            checkLog(expected, "a frame");
            break;
        }
        case 3: {
            const QString command = fuzz::consumeText(input, 64);
            protocol::Command text;
            text.kind = protocol::Command::Kind::GoToAngles;
            text.text = command;
            console->send.send(text, {});
            const bool printable = std::all_of(command.begin(), command.end(), [](QChar c) {
                return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
            });
            if (printable)
                expected.entry(kSentLabel + command + kLineEnd);
            checkLog(expected, "a text command");
            break;
        }
        case 4:
            console->log.clear();
            expected.clear();
            checkLog(expected, "clear");
            break;
        case 5:
            // The panel only; the links themselves stay closed, so nothing reaches a device.
            console->links.setOpen(!console->links.isOpen());
            console->links.setKind(input.ConsumeBool() ? Links::Kind::Serial : Links::Kind::Tcp);
            break;
        case 6:
            QCoreApplication::processEvents();
            break;
        default:
            moveClockPastRefresh();
            checkBox();
            break;
        }
    }
    moveClockPastRefresh();
    checkBox();
    return 0;
}
