#include "benchsupport.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

double msBetween(TimePoint from, TimePoint to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double processCpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF);
}

double threadCpuSeconds()
{
    return cpuSeconds(RUSAGE_THREAD);
}

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs)
{
    const TimePoint deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && Clock::now() < deadline)
        runEventLoop(5);
    return done();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * double(values.size()));
    const std::size_t index =
        std::clamp<std::size_t>(std::size_t(std::max(rank, 1.0)) - 1, 0, values.size() - 1);
    return values[index];
}

std::vector<TimePoint> within(const std::vector<TimePoint> &times, TimePoint from, TimePoint to)
{
    std::vector<TimePoint> kept;
    std::copy_if(times.begin(), times.end(), std::back_inserter(kept),
                 [&](TimePoint t) { return t >= from && t <= to; });
    return kept;
}

QString loadAverage()
{
    return QString::fromStdString(loadAverageLine());
}

QString metText(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

QByteArray upFrameAt01()
{
    return QByteArray::fromHex("ff010008003f48");
}

std::vector<double> gapsMs(const std::vector<TimePoint> &times)
{
    std::vector<double> gaps;
    for (std::size_t i = 1; i < times.size(); ++i)
        gaps.push_back(msBetween(times[i - 1], times[i]));
    return gaps;
}

FarEnd::Source floodReplies()
{
    return [kind = std::size_t(0)]() mutable {
        static const QByteArray replies[] = {QByteArray::fromHex("ff01005900005a"),
                                             QByteArray("T123456llll"), QByteArray("T1234567")};
        const QByteArray reply = replies[kind];
        kind = (kind + 1) % std::size(replies);
        return reply;
    };
}

std::vector<TimePoint> timesOf(const QList<FarEnd::Frame> &frames)
{
    std::vector<TimePoint> times;
    times.reserve(std::size_t(frames.size()));
    for (const FarEnd::Frame &frame : frames)
        times.push_back(frame.at);
    return times;
}

bool openSerialAt01(Console &console, QString *error)
{
    console.get<QComboBox>("探照灯")->setEditText(QStringLiteral("01"));
    const QStringList before = console.prompts.messages;
    if (console.openSerial())
        return true;
    *error = QStringLiteral("the serial link did not open: ") + before.join(u'|');
    return false;
}

bool openTcpAt01(Console &console, const QString &address, QString *error)
{
    console.get<QComboBox>("探照灯")->setEditText(QStringLiteral("01"));
    dialTcp(console, address);
    if (!runEventLoopUntil([&] { return console.form->link().linkOpen(); }, 5000)) {
        *error =
            QStringLiteral("the TCP link did not open: ") + console.prompts.messages.join(u'|');
        return false;
    }
    console.prompts.messages.clear();
    return true;
}

} // namespace bench
