// The journal's files without a window: lines that read back, lines that do not and spoil only
// themselves, days split at midnight by the console's clock, the bounds, a full device, a
// writing program killed at random moments, the reply gate and the picture of a day.
#include "journal/daypicture.h"
#include "journal/dayreader.h"
#include "journal/journal.h"
#include "journal/journalmodel.h"
#include "journal/journaltexts.h"
#include "journal/replygate.h"
#include "journal/retention.h"
#include "journal/writer.h"

#include "../support/journalsupport.h"
#include "../support/threadnames.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <csignal>

using namespace journal;
Q_DECLARE_METATYPE(journal::Entry)

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text),
                                 QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

Entry entry(const char *time, Kind kind, int device, const QString &event,
            const QString &cause = {}, const QString &detail = {})
{
    return stamped(at(time), kind, device, event, cause, detail);
}

} // namespace

class JournalFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void linesReadBack_data();
    void linesReadBack();
    void csvFields_data();
    void csvFields();
    void brokenLinesSpoilOnlyThemselves();
    void modelEndsWithItsThread();
    void theClockSplitsTheDays();
    void pruning_data();
    void pruning();
    void aFullDeviceIsToldOnceAndWritingResumes();
    void aBurstOnAHealthyDiskLosesNothing();
    void killedAtRandomMoments();
    void replyFloodIsBounded();
    void pictureOfADay();
};

void JournalFilesTest::linesReadBack_data()
{
    QTest::addColumn<Entry>("written");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("frame with cause")
        << entry("2026-12-08 08:00:00.125", Kind::Sent, 1, "开灯", "定时第 05 行 开",
                 "FF 01 02 00 00 00 03")
        << QByteArray("2026-12-08 08:00:00.125\t发送\t01\t开灯\t定时第 05 "
                      "行 开\tFF 01 02 00 00 00 03\n");
    QTest::newRow("no device, message with breaks and tabs")
        << entry("2026-12-08 23:59:59.999", Kind::Message, -1, "显示提示", {}, "a\tb\nc\\d\r\x01")
        << QByteArray("2026-12-08 23:59:59.999\t提示\t\t显示提示\t\ta\\tb\\nc\\\\d\\r\\x01\n");
    QTest::newRow("device 255") << entry("2026-01-01 00:00:00.000", Kind::Jog, 255, "开始点动")
                                << QByteArray("2026-01-01 00:00:00.000\t点动\t255\t开始点动\t\t\n");
    // Only the export guards a spreadsheet; the day file keeps what was typed.
    QTest::newRow("formula in a link")
        << entry("2026-01-01 00:00:00.000", Kind::Link, -1, "连接失败", {}, "=1+2")
        << QByteArray("2026-01-01 00:00:00.000\t连接\t\t连接失败\t\t=1+2\n");
}

void JournalFilesTest::linesReadBack()
{
    QFETCH(Entry, written);
    QFETCH(QByteArray, line);
    QCOMPARE(toLine(written), line);
    const std::optional<Entry> read = parseLine(QByteArrayView(line).chopped(1));
    QVERIFY(read);
    QCOMPARE(read->at(), written.at());
    QCOMPARE(read->kind, written.kind);
    QCOMPARE(read->device, written.device);
    QCOMPARE(read->event, written.event);
    QCOMPARE(read->cause, written.cause);
    QCOMPARE(read->detail, written.detail);
}

void JournalFilesTest::csvFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    const auto row = [](const char *name, const char *text, const char *field) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(field);
    };
    row("formula", "=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\"");
    row("plus", "+1", "'+1");
    row("minus", "-1", "'-1");
    row("at", "@SUM(A1)", "'@SUM(A1)");
    row("tab", "\t=1", "'\t=1");
    row("carriage return", "\r=1", "\"'\r=1\"");
    row("signs inside", "a=b-c", "a=b-c");
    row("address", "192.168.1.20", "192.168.1.20");
}

void JournalFilesTest::csvFields()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(journal::csvField(text), field);
}

void JournalFilesTest::brokenLinesSpoilOnlyThemselves()
{
    const QByteArray good = toLine(entry("2026-12-08 10:00:00.000", Kind::Sent, 3, "开灯"));
    const QList<QByteArray> broken = {
        good.left(30) + "\x18",                      // cut short and repaired by the writer
        "2026-12-08 10:00:00.000\t发送\t03\t开灯\t", // a field missing
        "2026-12-08 10:00:00.000\t发送\t03\t开灯\t\t\tx",
        "2026-12-08 25:00:00.000\t发送\t03\t开灯\t\t",
        "2026-12-08 10:00:00.000\t寄出\t03\t开灯\t\t",
        "2026-12-08 10:00:00.000\t发送\t256\t开灯\t\t",
        "2026-12-08 10:00:00.000\t发送\t03\t\xE5\xBC\t\t", // not UTF-8
        "2026-12-08 10:00:00.000\t发送\t03\t开灯\t\t\\q",
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("2026-12-08.log");
    QByteArray file;
    for (const QByteArray &line : broken) {
        QVERIFY(!parseLine(line));
        file += good + line + '\n';
    }
    file += good + good.left(20); // the last line is still being written
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();

    JournalModel model;
    QSignalSpy progressed(&model, &JournalModel::progressed);
    model.showDay(QDate(2026, 12, 8), path);
    QTRY_VERIFY(!model.busy());
    QCOMPARE(model.lineCount(), broken.size() + 1);
    QCOMPARE(model.badLines(), broken.size());
    QCOMPARE(model.rowCount(), broken.size() + 1);
    QCOMPARE(model.entryAt(broken.size())->event, QStringLiteral("开灯"));

    // The line being written is read once it is whole.
    QVERIFY(out.open(QIODevice::Append) && out.write(good.mid(20)) > 0);
    out.close();
    model.readMore();
    QTRY_COMPARE(model.rowCount(), broken.size() + 2);
    QCOMPARE(model.badLines(), broken.size());
}

void JournalFilesTest::modelEndsWithItsThread()
{
    // The journal window's reader goes with its model, in the middle of a reading too: not
    // ending, gone. Ending threads linger only now and then, hence the rounds.
    const QByteArray good = toLine(entry("2026-12-08 10:00:00.000", Kind::Sent, 3, "开灯"));
    QTemporaryDir dir;
    const QString path = dir.filePath("2026-12-08.log");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(good.repeated(50000)) > 0);
    out.close();
    for (int round = 0; round < 30; ++round) {
        {
            JournalModel model;
            QTRY_COMPARE(threadsNamed("journal reader"), 1);
            model.showDay(QDate(2026, 12, 8), path);
            if (round % 2)
                QTRY_VERIFY(model.lineCount() > 0);
        }
        QCOMPARE(threadsNamed("journal reader"), 0);
    }
}

void JournalFilesTest::theClockSplitsTheDays()
{
    QTemporaryDir dir;
    QDateTime now = at("2026-12-08 23:59:59.800");
    {
        Journal journal(dir.path(), [&] { return now; });
        journal.record(Kind::Sent, 1, "开灯");
        now = at("2026-12-09 00:00:00.100");
        journal.record(Kind::Sent, 1, "关灯");
    }
    const JournalDay first = readJournal(dir.path(), QDate(2026, 12, 8));
    const JournalDay second = readJournal(dir.path(), QDate(2026, 12, 9));
    QCOMPARE(first.entries.size(), 1);
    QCOMPARE(first.entries[0].event, QStringLiteral("开灯"));
    QCOMPARE(second.entries.size(), 1);
    QCOMPARE(second.entries[0].event, QStringLiteral("关灯"));
    QCOMPARE(second.entries[0].at(), now);
}

void JournalFilesTest::pruning_data()
{
    // Day files by their distance in days from today, with their sizes in MiB (sparse files);
    // the day being written; the days removed.
    QTest::addColumn<QList<int>>("days");
    QTest::addColumn<QList<int>>("mib");
    QTest::addColumn<int>("keep");
    QTest::addColumn<QList<int>>("removed");
    QTest::newRow("past a year, then oldest first past 200 MiB")
        << QList<int>{-400, -40, -30, -2, -1, 0} << QList<int>{1, 50, 90, 60, 60, 100} << 0
        << QList<int>{-400, -40, -30};
    QTest::newRow("today alone past the total: the last 30 days stay")
        << QList<int>{-45, -29, -10, -1, 0} << QList<int>{1, 1, 1, 1, 250} << 0 << QList<int>{-45};
    QTest::newRow("clock more than a year ahead: nothing")
        << QList<int>{-400, -40, -1, 0} << QList<int>{1, 1, 1, 1} << 400 << QList<int>{};
    QTest::newRow("clock back: the day it ran ahead stays")
        << QList<int>{-400, -1, 0, 400} << QList<int>{1, 1, 1, 1} << 0 << QList<int>{-400};
    QTest::newRow("after days switched off: waits for the second day")
        << QList<int>{-400, -3} << QList<int>{1, 300} << 0 << QList<int>{};
}

void JournalFilesTest::pruning()
{
    QFETCH(QList<int>, days);
    QFETCH(QList<int>, mib);
    QFETCH(int, keep);
    QFETCH(QList<int>, removed);
    QTemporaryDir dir;
    const QDate today(2026, 12, 8);
    for (qsizetype i = 0; i < days.size(); ++i) {
        QFile f(dir.filePath(dayFileName(today.addDays(days[i]))));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(mib[i]) << 20));
    }
    QFile other(dir.filePath("notes.log"));
    QVERIFY(other.open(QIODevice::WriteOnly) && other.resize(qint64(300) << 20));
    QStringList expected;
    for (const int day : removed)
        expected << dayFileName(today.addDays(day));
    QCOMPARE(prune(dir.path(), today.addDays(keep), Bounds{}), expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), days.size() + 1 - removed.size());
}

void JournalFilesTest::aFullDeviceIsToldOnceAndWritingResumes()
{
    QTemporaryDir dir;
    const QDate day(2026, 12, 8);
    QVERIFY(QDir(dir.path()).mkdir("journal"));
    const QString path = journalPath(dir.path(), day);
    QVERIFY(QFile::link("/dev/full", path));
    QDateTime now = at("2026-12-08 10:00:00.000");
    Journal journal(dir.path(), [&] { return now; });
    QSignalSpy told(&journal, &Journal::cannotWrite);
    for (int i = 0; i < 50; ++i) {
        journal.record(Kind::Sent, 1, "开灯", {}, QString::number(i));
        QTest::qWait(20);
    }
    QTRY_COMPARE(told.count(), 1);
    QVERIFY(told[0][0].toString().contains(path));
    QVERIFY(told[0][0].toString().contains(journaltexts::kReasonDiskFull));
    // Still full a few tries later: nothing more is said.
    QTest::qWait(2500);
    QCOMPARE(told.count(), 1);

    QVERIFY(QFile::remove(path));
    journal.record(Kind::Sent, 1, "关灯");
    const JournalDay written = waitForJournal(
        dir.path(),
        [](const JournalDay &d) { return !d.withEvent(journaltexts::kResumed).isEmpty(); }, day);
    QCOMPARE(told.count(), 1);
    // What waited is written, in order, then the note that writing works again.
    QCOMPARE(written.entries.size(), 52);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(written.entries[i].detail, QString::number(i));
    QCOMPARE(written.entries[50].event, QStringLiteral("关灯"));
    QCOMPARE(written.entries[51].detail, journaltexts::kResumedDetail.arg(0));
}

void JournalFilesTest::aBurstOnAHealthyDiskLosesNothing()
{
    // Four times the waiting bound, queued far faster than one interval: the writer must not
    // sleep through it and drop lines the disk would have taken.
    QTemporaryDir dir;
    std::atomic<qint64> dropped = 0;
    Writer::Events events;
    events.dropped = [&](qint64 lost) { dropped += lost; };
    const QDate day(2026, 12, 8);
    const QByteArray line = QByteArray(99, 'x') + '\n';
    constexpr qint64 kBound = 1024 * 1024;
    constexpr int kLinesPerStep = 640;
    const int steps = int(4 * kBound / (line.size() * kLinesPerStep));
    QString path;
    {
        Writer writer({dir.path(), {}, std::chrono::seconds(60), kBound}, std::move(events));
        path = writer.dayPath(day);
        for (int step = 0; step < steps; ++step) {
            for (int i = 0; i < kLinesPerStep; ++i)
                writer.append(day, line);
            QThread::msleep(2);
        }
    }
    QCOMPARE(dropped.load(), 0);
    QCOMPARE(QFileInfo(path).size(), qint64(steps) * kLinesPerStep * line.size());
}

void JournalFilesTest::killedAtRandomMoments()
{
    QTemporaryDir dir;
    QDateTime lastKill;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        child.start(QStringLiteral(JOURNAL_WRITER), {dir.path()});
        QVERIFY(child.waitForReadyRead(5000));
        QTest::qWait(300 + int(QRandomGenerator::global()->bounded(900)));
        lastKill = QDateTime::currentDateTime();
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(5000));

        // Every line whole and in order; at most the last second is missing.
        const JournalDay day = readJournal(dir.path(), lastKill.date());
        QVERIFY(!day.entries.isEmpty());
        qint64 previous = -1;
        int runs = 0;
        for (const Entry &e : day.entries) {
            QVERIFY2(e.event != journaltexts::kDropped, qPrintable(e.detail));
            const qint64 n = e.detail.section(' ', 0, 0).toLongLong();
            QCOMPARE(e.detail.size(), QString::number(n).size() + 1 + int(n % 300));
            if (n == 0)
                ++runs;
            else
                QCOMPARE(n, previous + 1);
            previous = n;
        }
        QCOMPARE(runs, run + 1);
        // A line cut by a kill is ended with the mark when the next run opens the file.
        QVERIFY(day.broken.size() <= run);
        for (const QByteArray &line : day.broken)
            QVERIFY(line.endsWith('\x18'));
        QVERIFY2(day.entries.last().at().msecsTo(lastKill) <= 1000,
                 qPrintable(QString::number(day.entries.last().at().msecsTo(lastKill))));
    }
}

void JournalFilesTest::replyFloodIsBounded()
{
    ReplyGate gate;
    const qint64 t = 5000;
    int admitted = 0;
    for (int i = 0; i < 1000; ++i) {
        QVERIFY(!gate.takeSummary(t + i));
        admitted += gate.admit(t + i, 2, 7) ? 1 : 0;
    }
    QCOMPARE(admitted, ReplyGate::kPerSecond);
    // The window is over: the held ones are summed up, and the next chunk opens a new one.
    const std::optional<ReplyGate::Summary> s = gate.takeSummary(t + 1000);
    QVERIFY(s);
    QCOMPARE(s->chunks, 1000 - ReplyGate::kPerSecond);
    QCOMPARE(s->bytes, 7 * (1000 - ReplyGate::kPerSecond));
    QCOMPARE(s->byKind[2], s->chunks);
    QVERIFY(!gate.takeSummary(t + 1000));
    for (int i = 0; i < ReplyGate::kPerSecond; ++i)
        QVERIFY(gate.admit(t + 1500 + i, 3, 11));
    QVERIFY(!gate.admit(t + 1600, 3, 11));
    // At exit the summary is written at once.
    QVERIFY(!gate.takeSummary(t + 1700));
    QCOMPARE(gate.takeSummary(t + 1700, true)->byKind[3], 1);
}

void JournalFilesTest::pictureOfADay()
{
    using namespace journaltexts;
    DayPicture picture;
    for (const Entry &e : {
             entry("2026-12-08 08:00:00.000", Kind::Sent, 1, kLampOn),
             entry("2026-12-08 08:00:00.050", Kind::Sent, 1, kLampOn), // the burst
             entry("2026-12-08 08:00:01.000", Kind::Sent, 1, kCruiseStart),
             entry("2026-12-08 09:00:00.000", Kind::Jog, 2, kJogStart),
             entry("2026-12-08 09:00:00.000", Kind::Jog, 2, kJogStart), // a second direction
             entry("2026-12-08 09:00:05.000", Kind::Jog, 2, kJogEnd),
             entry("2026-12-08 09:00:10.000", Kind::Jog, 2, kJogEnd),
             entry("2026-12-08 12:00:00.000", Kind::Sent, 1, kCruiseStop),
             entry("2026-12-08 18:00:00.000", Kind::Sent, 1, kLampOff),
             entry("2026-12-08 19:00:00.000", Kind::Sent, 2, kLampOn),
             entry("2026-12-08 19:30:00.000", Kind::Sent, -1, kLampOff), // a text command
             entry("2026-12-08 20:00:00.000", Kind::Received, 2, kLampOff),
         })
        picture.feed(e);
    const auto ms = [](const char *time) {
        return QTime::fromString(QString::fromLatin1(time), "HH:mm:ss").msecsSinceStartOfDay();
    };
    std::vector<DeviceDay> days = picture.devices(ms("21:00:00"));
    QCOMPARE(days.size(), std::size_t(2));
    QCOMPARE(days[0].device, 1);
    QCOMPARE(days[0].lamp, (std::vector<Span>{{ms("08:00:00"), ms("18:00:00")}}));
    QCOMPARE(days[0].cruise, (std::vector<Span>{{ms("08:00:01"), ms("12:00:00")}}));
    QVERIFY(days[0].moving.empty());
    QCOMPARE(days[1].moving, (std::vector<Span>{{ms("09:00:00"), ms("09:00:10")}}));
    // Still on at the end of what is known.
    QCOMPARE(days[1].lamp, (std::vector<Span>{{ms("19:00:00"), ms("21:00:00")}}));
    QCOMPARE(describe(days).split('\n').first(),
             QStringLiteral("设备01：灯亮 08:00:00–18:00:00；移动 无；巡航 08:00:01–12:00:00"));

    // The exit ends what was going.
    picture.feed(entry("2026-12-08 22:00:00.000", Kind::Program, -1, kExited));
    days = picture.devices(ms("23:00:00"));
    QCOMPARE(days[1].lamp, (std::vector<Span>{{ms("19:00:00"), ms("22:00:00")}}));
}

QTEST_GUILESS_MAIN(JournalFilesTest)
#include "tst_journalfiles.moc"
