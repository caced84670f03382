// The journal of the real console: an entry for each kind of event on a real pseudo-terminal and
// a loopback TCP peer, the jog as two entries, the reply flood gated, the console's clock
// carrying the journal into the next day's file, a journal on a full device, a day past its size
// cap, a day file deleted while written; the journal window with its filters, search, export and
// day picture, and on a crafted file; the timetable's marks and next-event line.
#include "asoperator.h"
#include "diskfaults.h"
#include "journalsupport.h"
#include "support.h"

#include "app/mainform.h"
#include "files/filetexts.h"
#include "journal/daystrip.h"
#include "journal/journaltexts.h"
#include "journal/journalwindow.h"
#include "journal/recorder.h"
#include "link/receivepath.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "schedule/form2.h"
#include "schedule/scheduletexts.h"
#include "schedule/timetablecontroller.h"
#include "ui/choicebox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <sys/resource.h>

using namespace journaltexts;
using journal::Entry;
using journal::Kind;

namespace {

// The jog frames of "up" at address 00 with the speeds the window starts with.
int upFrames(const QByteArray &bytes)
{
    int n = 0;
    for (qsizetype i = bytes.indexOf(hex("FF 00 00 08")); i >= 0;
         i = bytes.indexOf(hex("FF 00 00 08"), i + 7))
        ++n;
    return n;
}

QStringList causes(const QList<Entry> &entries)
{
    QStringList all;
    for (const Entry &e : entries)
        all << e.cause;
    return all;
}

} // namespace

class JournalWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void everyKindOnTheSerialLink();
    void tcpReplyLossAndFailedConnect();
    void replyFloodIsGated();
    void theClockCarriesItPastMidnight();
    void aFullDeviceGivesOneMessage();
    void pastTheDayCapRepliesGoInPerMinute();
    void aDeletedDayFileIsMadeAgain();
    void windowFiltersSearchExportAndPicture();
    void exportOnAFullDisk();
    void aCraftedFileDoesNotHoldTheWindow();
    void todayIsLive();
    void timetableMarksThroughFiringRestartAndConfirmation();
};

void JournalWindowTest::everyKindOnTheSerialLink()
{
    Console c(21);
    QVERIFY(c.openSerial());
    c.click("开");
    QTest::mousePress(c.get<QPushButton>("上"), Qt::LeftButton);
    QTest::qWait(300);
    QTest::mouseRelease(c.get<QPushButton>("上"), Qt::LeftButton);
    const QByteArray sent = c.pty.drain(300);
    QVERIFY(c.pty.write(wire::kPanReply));
    QTest::qWait(100);
    c.click("中");
    c.choose("水平速度", 3);
    c.click("中");
    c.click("设置预置位");
    QVERIFY(c.presetsSettled());
    QTest::mouseClick(c.form->findChild<QPushButton *>("预置位3"), Qt::LeftButton);
    QVERIFY(c.presetsSettled());
    // All three copies out before the link is closed, which would drop the rest.
    QTRY_VERIFY(!c.send().repeating());
    c.clickBox("角度控制");
    c.click("关");
    c.click("连接And断开连接");
    c.click("中"); // no link: a message
    c.click("CmdExit");

    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kExited).isEmpty(); });
    QVERIFY(day.broken.isEmpty());
    QCOMPARE(day.entries.first().event, kStarted);
    QCOMPARE(day.entries.last().event, kExited);

    const QList<Entry> opened = day.withEvent(kLinkOpened);
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened[0].detail.contains("COM21"));
    QCOMPARE(day.withEvent(kLinkClosed).size(), 1);

    const QList<Entry> lampOn = day.withEvent(kLampOn);
    QCOMPARE(lampOn.size(), 3);
    for (const Entry &e : lampOn) {
        QCOMPARE(e.cause, sendcause::kLampButton);
        QCOMPARE(e.device, 0);
        QCOMPARE(e.detail, QStringLiteral("FF 00 02 00 00 00 02"));
    }
    // The text form of the lamp carries no device.
    const QList<Entry> lampOff = day.withEvent(kLampOff);
    QCOMPARE(lampOff.size(), 1);
    QCOMPARE(lampOff[0].device, -1);
    QCOMPARE(lampOff[0].detail, QStringLiteral("文本命令 Rcccccccccc"));

    // The held direction: one entry at its start, one at its end, none per frame.
    const QList<Entry> jog = day.ofKind(Kind::Jog);
    QCOMPARE(jog.size(), 2);
    QCOMPARE(jog[0].event, kJogStart);
    QCOMPARE(jog[0].cause, sendcause::kDirectionButton);
    QVERIFY(jog[0].detail.startsWith(QStringLiteral("方向 上，")));
    QCOMPARE(jog[1].event, kJogEnd);
    const int frames = upFrames(sent);
    QVERIFY(frames >= 20);
    QVERIFY2(jog[1].detail.contains(QStringLiteral("共 %1 帧").arg(frames)),
             qPrintable(jog[1].detail));
    QVERIFY(day.withEvent(kJogFrame).isEmpty());

    const QList<Entry> replies = day.withEvent(kReplyFrame);
    QCOMPARE(replies.size(), 1);
    QVERIFY(replies[0].detail.endsWith(wire::text(wire::kPanReply)));

    // Started by the button, restarted by the speed, stopped by the button.
    QCOMPARE(
        causes(day.withEvent(kCruiseStart)),
        QStringList({sendcause::kCruiseButton, sendcause::kCruiseButton, sendcause::kCruiseButton,
                     sendcause::kSpeedChoice, sendcause::kSpeedChoice, sendcause::kSpeedChoice}));
    QCOMPARE(causes(day.withEvent(kCruiseStop)), QStringList(3, sendcause::kCruiseButton));
    QCOMPARE(causes(day.withEvent(kPresetSet)), QStringList(3, sendcause::presetButton(3)));
    QCOMPARE(day.withEvent(kLabelsSaved).size(), 1);

    const QList<Entry> messages = day.ofKind(Kind::Message);
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0].detail, QStringLiteral("设 备 已 连 接 ！ ！ ！"));
    QCOMPARE(messages[1].detail, QStringLiteral("请先连接设备再操作!"));
    const QList<Entry> saved = day.ofKind(Kind::Settings);
    QCOMPARE(saved.size(), 3);
    for (const Entry &e : saved)
        QCOMPARE(e.event, kSaved);
}

void JournalWindowTest::tcpReplyLossAndFailedConnect()
{
    Console c(22);
    QVERIFY(c.openTcp("127.0.0.61"));
    c.peer->write("T123456llll");
    c.peer->flush();
    QTRY_VERIFY(c.log().contains("T123456"));
    c.peer->disconnectFromHost();
    QTRY_COMPARE(c.status(), QStringLiteral("设备已断开连接"));
    c.tcp.reset();
    c.get<QLineEdit>("设备IP")->setText("127.0.0.62");
    c.click("连接And断开连接");
    QTRY_VERIFY(c.status().startsWith(QStringLiteral("无法连接到")));

    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kLinkFailed).isEmpty(); });
    QCOMPARE(day.withEvent(kLinkOpened).size(), 1);
    QVERIFY(day.withEvent(kLinkOpened)[0].detail.contains("127.0.0.61"));
    QCOMPARE(day.withEvent(kReplyText).size(), 1);
    QCOMPARE(day.withEvent(kLinkLost).size(), 1);
    QVERIFY(day.withEvent(kLinkLost)[0].detail.contains("127.0.0.61"));
    // The loss is told as the loss, not also as a closing.
    QVERIFY(day.withEvent(kLinkClosed).isEmpty());
    QVERIFY(day.withEvent(kLinkFailed)[0].detail.contains("127.0.0.62"));
}

void JournalWindowTest::replyFloodIsGated()
{
    Console c(23);
    QVERIFY(c.openTcp("127.0.0.63"));
    // The day the entries are read from; the chunks come within one second of the gate.
    const QDateTime frozen = QDateTime::currentDateTime();
    c.setClock([frozen] { return frozen; });
    QSignalSpy chunks(&c.receive(), &ReceivePath::chunkClassified);
    for (int i = 0; i < 40; ++i) {
        c.peer->write("T1234567");
        c.peer->flush();
        QTest::qWait(5);
    }
    QTRY_VERIFY(chunks.count() > 10);
    QTest::qWait(200);
    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kReplySummary).isEmpty(); },
        frozen.date());
    QCOMPARE(day.withEvent(kReplyTextNoTail).size(), journal::ReplyGate::kPerSecond);
    const QList<Entry> summary = day.withEvent(kReplySummary);
    QCOMPARE(summary.size(), 1);
    QVERIFY2(summary[0].detail.contains(QStringLiteral("另收到 %1 段").arg(chunks.count() - 10)),
             qPrintable(summary[0].detail));
}

void JournalWindowTest::theClockCarriesItPastMidnight()
{
    Console c(24);
    QVERIFY(c.openSerial());
    QDateTime now(QDate(2031, 3, 1), QTime(23, 59, 59, 900));
    c.setClock([&] { return now; });
    c.click("开");
    c.click("定时配置说明");
    now = QDateTime(QDate(2031, 3, 2), QTime(0, 0, 0, 200));
    c.tick();
    c.click("定时配置说明");
    QCOMPARE(c.get<QLineEdit>("TxtDate")->text(), QStringLiteral("2031-03-02"));

    const auto hasMessage = [](const JournalDay &d) { return !d.ofKind(Kind::Message).isEmpty(); };
    const JournalDay before = waitForJournal(c.dir.path(), hasMessage, QDate(2031, 3, 1));
    const JournalDay after = waitForJournal(c.dir.path(), hasMessage, QDate(2031, 3, 2));
    QCOMPARE(before.ofKind(Kind::Message).size(), 1);
    QCOMPARE(before.ofKind(Kind::Message)[0].time, QTime(23, 59, 59, 900));
    QCOMPARE(after.ofKind(Kind::Message).size(), 1);
    QCOMPARE(after.ofKind(Kind::Message)[0].time, QTime(0, 0, 0, 200));
    // The lamp left on goes on in the new day's picture from midnight.
    QCOMPARE(after.entries[0].event, kCarriedLamp);
    QCOMPARE(after.entries[0].device, 0);
    QCOMPARE(after.entries[0].time, QTime(0, 0));
    journal::DayPicture picture;
    for (const Entry &e : after.entries)
        picture.feed(e);
    QCOMPARE(journal::describe(picture.devices(1000)),
             QStringLiteral("设备00：灯亮 00:00:00–00:00:01；移动 无；巡航 无"));
}

void JournalWindowTest::aFullDeviceGivesOneMessage()
{
    Console c(25, false);
    QVERIFY(QDir(c.dir.path()).mkdir("journal"));
    const QString path = journalPath(c.dir.path(), QDate::currentDate());
    QVERIFY(QFile::link("/dev/full", path));
    c.start();
    QTRY_COMPARE(c.prompts.messages.size(), 1);
    QVERIFY(c.prompts.messages[0].startsWith(QStringLiteral("运行记录无法写入：") + path));
    QVERIFY(c.prompts.messages[0].contains(kReasonDiskFull));
    QVERIFY(c.openSerial());
    // The console goes on, and nothing more is said while the disk stays full.
    for (int i = 0; i < 5; ++i) {
        c.click("开");
        QCOMPARE(c.pty.read(21).size(), 21);
        QTest::qWait(500);
    }
    QVERIFY(c.prompts.messages.isEmpty());

    QVERIFY(QFile::remove(path));
    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kResumed).isEmpty(); });
    QCOMPARE(day.withEvent(kLampOn).size(), 15);
    // The journal's own message and the connect message: they waited with the rest.
    QCOMPARE(day.ofKind(Kind::Message).size(), 2);
    QVERIFY(c.prompts.messages.isEmpty());
}

void JournalWindowTest::pastTheDayCapRepliesGoInPerMinute()
{
    Console c(29, false);
    QVERIFY(QDir(c.dir.path()).mkdir("journal"));
    QFile today(journalPath(c.dir.path(), QDate::currentDate()));
    QVERIFY(today.open(QIODevice::WriteOnly) && today.resize(journal::Bounds{}.dayBytes));
    today.close();
    c.start();
    QVERIFY(c.openTcp("127.0.0.64"));
    QTRY_VERIFY(c.journal().journal().dayFull());
    QSignalSpy chunks(&c.receive(), &ReceivePath::chunkClassified);
    for (int i = 0; i < 40; ++i) {
        c.peer->write("T1234567");
        c.peer->flush();
        QTest::qWait(5);
    }
    QTRY_VERIFY(chunks.count() > 10);
    c.click("开");
    c.click("CmdExit");
    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kExited).isEmpty(); });
    // Of the replies, only the summary of the minute.
    const QList<Entry> replies = day.ofKind(Kind::Received);
    QCOMPARE(replies.size(), 1);
    QVERIFY2(replies[0].detail.contains(QStringLiteral("1 分钟内另收到 %1 段").arg(chunks.count())),
             qPrintable(replies[0].detail));
    QCOMPARE(day.withEvent(kRepliesPerMinute).size(), 1);
    // The commands go in one by one as ever.
    QCOMPARE(day.withEvent(kLampOn).size(), 3);
}

void JournalWindowTest::aDeletedDayFileIsMadeAgain()
{
    Console c(30);
    c.click("运行记录");
    journal::JournalModel &model = c.journalWindow()->model();
    const QString path = journalPath(c.dir.path(), QDate::currentDate());
    QTRY_VERIFY(QFile::exists(path) && model.lineCount() >= 1);
    QVERIFY(QFile::remove(path));
    c.click("定时配置说明");
    const QString told = kRestartedMessage.arg(path);
    QTRY_COMPARE(c.prompts.messages.count(told), 1);
    c.click("定时配置说明");
    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return d.ofKind(Kind::Message).size() == 3; });
    QVERIFY(day.withEvent(kStarted).isEmpty());
    QCOMPARE(day.withEvent(kFileRestarted).size(), 1);
    QCOMPARE(day.withEvent(kFileRestarted)[0].detail, path);
    // Said once; the window reads the new file.
    QCOMPARE(c.prompts.messages.count(told), 1);
    QTRY_COMPARE(model.lineCount(), qint64(readJournal(c.dir.path()).entries.size()));
}

void JournalWindowTest::windowFiltersSearchExportAndPicture()
{
    Console c(26, false);
    const QDate day(2026, 12, 7);
    QVERIFY(QDir(c.dir.path()).mkpath("journal"));
    const auto e = [&](const char *time, Kind kind, int device, const QString &event,
                       const QString &detail = {}) {
        return journal::toLine(
            {day, QTime::fromString(time, "HH:mm:ss"), kind, device, event, {}, detail});
    };
    const QList<QByteArray> lines = {
        e("08:00:00", Kind::Sent, 1, kLampOn, wire::text(wire::kLampOn)),
        e("09:00:00", Kind::Jog, 2, kJogStart, "方向 上"),
        e("09:00:10", Kind::Jog, 2, kJogEnd, "方向 上，共 1000 帧"),
        e("10:00:00", Kind::Message, -1, kShown, "标记, \"引号\""),
        e("18:00:00", Kind::Sent, 1, kLampOff, wire::text(wire::kLampOff)),
    };
    QVERIFY(writeFile(journalPath(c.dir.path(), day),
                      lines[0] + lines[1] + "broken line\n" + lines[2] + lines[3] + lines[4]));
    c.start();
    QTest::keyClick(c.form.get(), Qt::Key_J, Qt::ControlModifier);
    JournalWindow *window = c.journalWindow();
    QVERIFY(window && window->isVisible());
    journal::JournalModel &model = window->model();
    QCOMPARE(model.day(), QDate::currentDate());

    auto *days = child<ChoiceBox>(window, "日期");
    days->choose(days->findData(day));
    QTRY_VERIFY(model.day() == day && !model.busy());
    QCOMPARE(model.rowCount(), 5);
    QVERIFY(child<QLabel>(window, "统计")->text().contains(QStringLiteral("另有 1 行无法读取")));
    const auto *strip = child<DayStrip>(window, "当日概览");
    QCOMPARE(strip->accessibleDescription(),
             QStringLiteral("设备01：灯亮 08:00:00–18:00:00；移动 无；巡航 无\n"
                            "设备02：灯亮 无；移动 09:00:00–09:00:10；巡航 无"));

    auto *kinds = child<ChoiceBox>(window, "类别");
    // Each choice is answered by the reader; the count is read once it has.
    const auto shown = [&] {
        return QTest::qWaitFor([&] { return !model.busy(); }, 5000) ? model.rowCount() : -1;
    };
    kinds->choose(kinds->findText(journal::kindName(Kind::Jog)));
    QCOMPARE(shown(), 2);
    QCOMPARE(model.entryAt(1)->event, kJogEnd);
    kinds->choose(0);
    QCOMPARE(shown(), 5);
    auto *devices = child<ChoiceBox>(window, "设备");
    QCOMPARE(devices->count(), 3);
    devices->choose(devices->findText("01"));
    QCOMPARE(shown(), 2);
    QCOMPARE(model.entryAt(1)->event, kLampOff);
    devices->choose(0);
    QCOMPARE(shown(), 5);
    // The search waits for a pause in the typing.
    auto *search = child<QLineEdit>(window, "搜索");
    search->setText(QStringLiteral("标记"));
    QTRY_COMPARE(model.rowCount(), 1);
    retype(search, QStringLiteral("ff 01"));
    QTRY_COMPARE(model.rowCount(), 2);
    QCOMPARE(shown(), 2);

    // The rows shown, through the export button and its file dialog.
    QSignalSpy exported(&model, &journal::JournalModel::exported);
    QTest::mouseClick(child<QPushButton>(window, "导出"), Qt::LeftButton);
    auto *dialog = window->findChild<QFileDialog *>("导出对话框");
    QVERIFY(dialog && dialog->isVisible());
    const QString csv = c.dir.path() + "/shown.csv";
    dialog->selectFile(csv);
    QMetaObject::invokeMethod(dialog, "accept");
    QTRY_COMPARE(exported.count(), 1);
    QCOMPARE(exported[0][0].toBool(), true);
    QCOMPARE(exported[0][1].toLongLong(), 2);
    QCOMPARE(fileBytes(csv),
             QByteArray("\xEF\xBB\xBF") +
                 (QStringLiteral("时间,类别,设备,事件,原因,内容\r\n") +
                  "2026-12-07 08:00:00.000,发送,01,开灯,," + wire::text(wire::kLampOn) + "\r\n" +
                  "2026-12-07 18:00:00.000,发送,01,关灯,," + wire::text(wire::kLampOff) + "\r\n")
                     .toUtf8());
    search->setText(QStringLiteral("引号"));
    QTRY_COMPARE(model.rowCount(), 1);
    QVERIFY(journal::csvLine(*model.entryAt(0)).endsWith(",\"标记, \"\"引号\"\"\"\r\n"));
}

void JournalWindowTest::exportOnAFullDisk()
{
    // The file chosen keeps what it held, and the message names it with the reason.
    if (::geteuid() != 0)
        QSKIP("a disk of its own needs root");
    Console c(29);
    QTemporaryDir folder;
    SmallDisk disk(folder.path());
    const QString csv = folder.path() + "/day.csv";
    QVERIFY(disk.ok() && writeFile(csv, "old\r\n") && disk.fill(0));
    c.click("运行记录");
    journal::JournalModel &model = c.journalWindow()->model();
    QTRY_VERIFY_WITH_TIMEOUT(model.rowCount() >= 1 && !model.busy(), 20000);
    model.exportCsv(csv);
    QTRY_COMPARE_WITH_TIMEOUT(
        c.prompts.messages, QStringList(kExportFailed.arg(csv, filetexts::kReasonDiskFull)), 20000);
    QCOMPARE(fileBytes(csv), QByteArray("old\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({".filler", "day.csv"}));
}

void JournalWindowTest::aCraftedFileDoesNotHoldTheWindow()
{
    Console c(31, false);
    const QDate day(2026, 12, 6);
    QVERIFY(QDir(c.dir.path()).mkpath("journal"));
    const auto line = [&](const char *time, const QString &detail) {
        return journal::toLine(
            {day, QTime::fromString(time, "HH:mm:ss"), Kind::Message, -1, kShown, {}, detail});
    };
    // Whole entries but for their length: 32 MB with an end, then 16 MB with none yet.
    const QByteArray mib(1 << 20, 'x');
    const auto crafted = [&](QFile &file, int mibs) {
        file.write("2026-12-06 10:00:05.000\t提示\t\t显示提示\t\t");
        for (int i = 0; i < mibs; ++i)
            file.write(mib);
    };
    QFile file(journalPath(c.dir.path(), day));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line("10:00:00", QStringLiteral("前")));
    crafted(file, 32);
    file.write("\n" + line("10:00:10", QString(100000, u'长')));
    crafted(file, 16);
    file.close();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long peakKib = usage.ru_maxrss;

    c.start();
    QTest::keyClick(c.form.get(), Qt::Key_J, Qt::ControlModifier);
    JournalWindow *window = c.journalWindow();
    journal::JournalModel &model = window->model();
    auto *days = child<ChoiceBox>(window, "日期");
    days->choose(days->findData(day));
    QTRY_VERIFY_WITH_TIMEOUT(model.day() == day && !model.busy(), 30000);
    QCOMPARE(model.lineCount(), 2);
    QCOMPARE(model.badLines(), 2);
    // The long field was cut when written and is shortened again on show.
    const Entry written = *model.entryAt(1);
    QVERIFY(written.detail.startsWith(QString(1000, u'长')) && written.detail.endsWith(u'…'));
    const QString shown =
        model.data(model.index(1, journal::JournalModel::DetailColumn)).toString();
    QVERIFY(shown.size() < 2000 && shown.endsWith(kShortened.arg(written.detail.size())));

    // The unended line ends: the lines after it read.
    QVERIFY(file.open(QIODevice::Append));
    file.write("\n" + line("10:00:20", QStringLiteral("后")));
    file.close();
    model.readMore();
    QTRY_VERIFY_WITH_TIMEOUT(model.lineCount() == 3 && !model.busy(), 30000);
    QCOMPARE(model.badLines(), 2);
    QCOMPARE(model.entryAt(2)->detail, QStringLiteral("后"));
    getrusage(RUSAGE_SELF, &usage);
    QVERIFY2(usage.ru_maxrss - peakKib < 300 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
}

void JournalWindowTest::todayIsLive()
{
    Console c(27);
    c.click("运行记录");
    JournalWindow *window = c.journalWindow();
    QVERIFY(window && window->isVisible());
    journal::JournalModel &model = window->model();
    QTRY_VERIFY(model.rowCount() >= 1 && !model.busy());
    const int before = model.rowCount();
    c.click("定时配置说明");
    QTRY_COMPARE(model.rowCount(), before + 1);
    QCOMPARE(model.entryAt(before)->kind, Kind::Message);
    // The same window again, not a second one.
    QTest::keyClick(c.form.get(), Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(c.form->findChildren<JournalWindow *>().size(), 1);
}

void JournalWindowTest::timetableMarksThroughFiringRestartAndConfirmation()
{
    using namespace scheduletexts;
    Console c(28, false);
    QDateTime now(QDate::currentDate(), QTime(12, 0, 0));
    const auto begin = [&] {
        c.start();
        c.setClock([&] { return now; });
        c.tick();
    };
    const auto list = [&] { return c.get<QListWidget>("定时配置"); };
    const auto next = [&] { return c.get<QLabel>("定时下一步")->text(); };
    const auto description = [&](int row) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(list());
        QAccessibleInterface *item = face ? face->child(row) : nullptr;
        return item ? item->text(QAccessible::Name) + "|" + item->text(QAccessible::Description)
                    : QString();
    };
    const auto confirm = [&](const char *on, const char *off) {
        doubleClickRow(c, 1);
        Form2 *editor = c.timetable().editor();
        retype(child<QLineEdit>(editor, "开_00"), on);
        retype(child<QLineEdit>(editor, "关_00"), off);
        clickCheck(child<QCheckBox>(editor, "Check2"));
        QTest::mouseClick(child<QPushButton>(editor, "退出配置"), Qt::LeftButton);
    };
    const QString row = QStringLiteral("01 开：12:00:05   关：12:00:10   自动巡航：巡航一");

    begin();
    QCOMPARE(next(), kNothingToDo);
    QVERIFY(c.openSerial());
    confirm("12:00:05", "12:00:10");
    QCOMPARE(list()->item(1)->text(), row);
    QCOMPARE(description(1), row + "|开灯：待执行；关灯：待执行");
    QCOMPARE(next(), kNextToday.arg("12:00:05", "01", " 开灯，1 秒后开始巡航一"));

    now = now.addSecs(5);
    c.tick();
    QCOMPARE(description(1), row + "|开灯：已执行；关灯：待执行");
    QCOMPARE(next(), kNextToday.arg("12:00:10", "01", " 关灯，1 秒后停止巡航"));
    QCOMPARE(list()->item(1)->text(), row);
    const JournalDay fired = waitForJournal(c.dir.path(), [](const JournalDay &d) {
        return !d.withEvent(kDelayedStart).isEmpty() && d.withEvent(kCruiseStart).size() == 3;
    });
    QCOMPARE(fired.withEvent(kSlotOn).size(), 1);
    QCOMPARE(fired.withEvent(kSlotOn)[0].cause, sendcause::timetableSlot(1, true));
    QCOMPARE(causes(fired.withEvent(kLampOn)), QStringList(3, sendcause::timetableSlot(1, true)));
    QCOMPARE(causes(fired.withEvent(kCruiseStart)),
             QStringList(3, sendcause::timetableDelay(1, true)));

    // Deselecting a row disarms what is left; selecting it again arms it.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualItemRect(list()->item(1)).center());
    QCOMPARE(description(1), row + "|开灯：已执行；关灯：未生效");
    QCOMPARE(next(), kNothingToDo);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualItemRect(list()->item(1)).center());
    QCOMPARE(description(1), row + "|开灯：已执行；关灯：待执行");

    // After a restart the row is shown and selected as saved, and nothing is armed.
    c.click("CmdExit");
    c.form.reset();
    begin();
    QCOMPARE(list()->item(1)->text(), row);
    QVERIFY(list()->item(1)->isSelected());
    QCOMPARE(description(1), row + "|开灯：未生效；关灯：未生效");
    QCOMPARE(next(), kNothingArmed.arg(1));

    confirm("12:00:20", "11:00:00");
    const QString again = QStringLiteral("01 开：12:00:20   关：11:00:00   自动巡航：巡航一");
    QCOMPARE(description(1), again + "|开灯：待执行；关灯：待执行");
    QCOMPARE(next(), kNextToday.arg("12:00:20", "01", " 开灯，1 秒后开始巡航一"));
    now.setTime(QTime(12, 0, 20));
    c.tick();
    // The off time has passed today: the clock reaches it tomorrow.
    QCOMPARE(next(), kNextTomorrow.arg("11:00:00", "01", " 关灯，1 秒后停止巡航"));
}

QTEST_MAIN(JournalWindowTest)
#include "tst_journal_window.moc"
