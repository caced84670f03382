// The timetable from the real window: the editor, the settings files beside the program and the
// lamp and cruise switched by a clock the test sets, read back on a real pseudo-terminal.
#include "asoperator.h"
#include "diskfaults.h"
#include "journalsupport.h"
#include "support.h"

#include "app/mainform.h"
#include "journal/journaltexts.h"
#include "schedule/form2.h"
#include "schedule/scheduletexts.h"
#include "schedule/timetablecontroller.h"
#include "ui/twips.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTimer>
#include <QtTest>

#include <algorithm>

namespace {

// Row 0 as designed, in GBK, with its line end.
const QByteArray kDesignRowZero = hex("30 30 20 BF AA A3 BA 30 30 3A 30 30 3A 30 30 20 20 20 B9 D8 "
                                      "A3 BA 30 30 3A 30 30 3A 30 30 20 20 20 D7 D4 B6 AF D1 B2 BA "
                                      "BD A3 BA 4E 4F 0D 0A");

QString row(int n, const QString &on, const QString &off, const QString &word)
{
    return QStringLiteral("%1 开：%2   关：%3   自动巡航：%4")
        .arg(n, 2, 10, QLatin1Char('0'))
        .arg(on, off, word);
}

QString designRow(int n)
{
    return row(n, QStringLiteral("00:00:00"), QStringLiteral("00:00:00"), QStringLiteral("NO"));
}

QList<QByteArray> sortedFrames(const QByteArray &bytes)
{
    QList<QByteArray> frames = framesIn(bytes).frames;
    std::sort(frames.begin(), frames.end());
    return frames;
}

// The console on COM11 with its clock standing still at a time the test chooses.
const ConsoleOptions kConsole = ConsoleOptions().com(11).clockAt("12:00:00");
// The same, started once the test has laid out its files.
const ConsoleOptions kLaidOutFirst = ConsoleOptions(kConsole).laidOutFirst();

QListWidget *list(Console &c)
{
    return c.get<QListWidget>("定时配置");
}

QListWidgetItem *item(Console &c, int n)
{
    return list(c)->item(n);
}

schedule::SlotStore &store(Console &c)
{
    return c.timetable().slotStore();
}

Form2 *editor(Console &c)
{
    return c.timetable().editor();
}

template <typename T> T *edit(Console &c, const char *name)
{
    return child<T>(editor(c), name);
}

QTimer *timer(Console &c, const char *name)
{
    return child<QTimer>(c.form.get(), name);
}

QCheckBox *check(Console &c, int n)
{
    return edit<QCheckBox>(c, qPrintable(QStringLiteral("Check%1").arg(n)));
}

void type(Console &c, const char *box, const QString &text)
{
    retype(edit<QLineEdit>(c, box), text);
}

void tickBox(Console &c, int n)
{
    clickCheck(check(c, n));
}

void confirm(Console &c)
{
    QTest::mouseClick(edit<QPushButton>(c, "退出配置"), Qt::LeftButton);
}

QString tickedBoxes(Console &c)
{
    QString state;
    for (int n = 1; n <= 4; ++n)
        state += check(c, n)->isChecked() ? u'1' : u'0';
    return state;
}

QStringList texts(Console &c)
{
    QStringList all;
    for (int n = 0; n < list(c)->count(); ++n)
        all << item(c, n)->text() + (item(c, n)->isSelected() ? "|selected" : "");
    return all;
}

} // namespace

class TimetableTest : public QObject
{
    Q_OBJECT
private slots:
    void editorLayout_data();
    void editorLayout();
    void confirmWritesOnlyTheEditedRow();
    void doubleClickTogglesOnceAndEnterOpens();
    void cruiseChoice_data();
    void cruiseChoice();
    void timeBoxWarnings_data();
    void timeBoxWarnings();
    void closingByTheFrameOnlyHides();
    void firstStartThenExitWritesTheFiles();
    void startUpReadsTheFiles();
    void badFlagLineSpoilsOnlyItsRow();
    void roundTripThroughExit();
    void unwritableFilesAtExit_data();
    void unwritableFilesAtExit();
    void fullDiskAtExit_data();
    void fullDiskAtExit();
    void scan_data();
    void scan();
};

void TimetableTest::editorLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    const auto row = [](const char *name, const char *caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption)
                            << twips::rect(l, t, w, h);
    };
    row("灯开关时间配置", "灯开关时间配置", 120, 240, 8535, 1455);
    row("Lab1", "开：", 840, 675, 600, 255);
    row("开_00", "00:00:00", 1320, 600, 1435, 405);
    row("Lab2", "关：", 6120, 675, 600, 255);
    row("关_00", "00:00:00", 6600, 600, 1435, 405);
    row("巡航模式", "巡航模式配置", 120, 1800, 8535, 1695);
    row("Check1", "不自动巡航", 240, 720, 1935, 375);
    row("Check2", "巡航模式一", 2280, 720, 1935, 375);
    row("Check3", "巡航模式二", 4320, 720, 1935, 375);
    row("Check4", "巡航模式三", 6360, 720, 1935, 375);
    row("退出配置", "确定", 7560, 3600, 1095, 495);
}

void TimetableTest::editorLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    Console c(kConsole);
    QVERIFY(!editor(c));
    doubleClickRow(c, 0);
    Form2 *form2 = editor(c);
    QVERIFY(form2 && form2->isVisible() && !form2->isModal());
    QCOMPARE(form2->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(form2->size(), twips::size(8880, 4200));
    QWidget *w = form2->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(::caption(w), caption);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        QCOMPARE(e->maxLength(), 64);
    if (qobject_cast<QAbstractButton *>(w))
        QCOMPARE(accessibleName(w), caption);
    QCOMPARE(form2->findChildren<QPushButton *>().size(), 1); // no cancel button

    // The help button of the timetable region says how to type times.
    c.click("定时配置说明");
    QCOMPARE(c.prompts.messages, QStringList{scheduletexts::kTimetableHelpMessage});
}

void TimetableTest::confirmWritesOnlyTheEditedRow()
{
    Console c(kConsole);
    // The double-click toggles the row like a click; confirming selects it whatever it was.
    item(c, 5)->setSelected(true);
    item(c, 4)->setSelected(true);
    item(c, 60)->setSelected(true);
    doubleClickRow(c, 5);
    QVERIFY(!item(c, 5)->isSelected());
    QCOMPARE(c.timetable().Shuangjihang, qint16(5));
    QCOMPARE(tickedBoxes(c), QStringLiteral("0000"));
    const QStringList before = texts(c);
    type(c, "开_00", "08:00:00");
    type(c, "关_00", "18:00:00");
    tickBox(c, 2);
    confirm(c);

    QVERIFY(!editor(c)->isVisible());
    QCOMPARE(item(c, 5)->text(), row(5, "08:00:00", "18:00:00", "巡航一"));
    QVERIFY(item(c, 5)->isSelected());
    QCOMPARE(store(c).kai(5), QStringLiteral("08:00:00"));
    QCOMPARE(store(c).guan(5), QStringLiteral("18:00:00"));
    QStringList after = texts(c);
    after[5] = before[5];
    QCOMPARE(after, before);

    // The next opening, on another row, shows what was confirmed last, not that row's times.
    doubleClickRow(c, 12);
    QCOMPARE(edit<QLineEdit>(c, "开_00")->text(), QStringLiteral("08:00:00"));
    QCOMPARE(edit<QLineEdit>(c, "关_00")->text(), QStringLiteral("18:00:00"));
    QCOMPARE(tickedBoxes(c), QStringLiteral("0100"));
    confirm(c);
    QCOMPARE(item(c, 12)->text(), row(12, "08:00:00", "18:00:00", "巡航一"));
    QCOMPARE(store(c).kai(12), QStringLiteral("08:00:00"));
}

void TimetableTest::doubleClickTogglesOnceAndEnterOpens()
{
    Console c(kConsole);
    doubleClickRow(c, 20);
    QVERIFY(item(c, 20)->isSelected());
    doubleClickRow(c, 20);
    QVERIFY(!item(c, 20)->isSelected());
    QCOMPARE(list(c)->selectedItems().size(), 0);
    editor(c)->hide();

    list(c)->setCurrentRow(30, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list(c), Qt::Key_Return);
    QCOMPARE(c.timetable().Shuangjihang, qint16(30));
    QVERIFY(editor(c)->isVisible());
    QVERIFY(!item(c, 30)->isSelected());
}

void TimetableTest::cruiseChoice_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<QString>("word");
    const auto add = [](const char *name, QStringList actions, const char *ticked,
                        const char *word) {
        QTest::newRow(name) << actions << QString(ticked) << QString::fromUtf8(word);
    };
    add("never ticked", {}, "0000", "");
    add("Check1", {"1"}, "1000", "无巡航");
    add("Check2", {"2"}, "0100", "巡航一");
    add("untick keeps the word", {"2", "2"}, "0000", "巡航一");
    add("Check3 after Check2", {"2", "3"}, "0010", "巡航二");
    add("accessible toggle of Check4", {"2", "a4"}, "0001", "巡航三");
}

void TimetableTest::cruiseChoice()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, ticked);
    QFETCH(QString, word);
    Console c(kConsole);
    doubleClickRow(c, 7);
    for (const QString &action : actions) {
        const int n = action.right(1).toInt();
        if (action.startsWith('a')) {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(check(c, n));
            QVERIFY(face && face->actionInterface());
            face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        } else {
            tickBox(c, n);
        }
    }
    QCOMPARE(tickedBoxes(c), ticked);
    confirm(c);
    QCOMPARE(item(c, 7)->text(), row(7, "00:00:00", "00:00:00", word));
}

void TimetableTest::timeBoxWarnings_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("warnings");
    const auto add = [](const char *name, const char *box, const char *action, const char *text,
                        int warnings) {
        QTest::newRow(name) << QString::fromUtf8(box) << QString(action) << QString(text)
                            << warnings;
    };
    add("clearing the on time", "开_00", "clear", "", 1);
    add("clearing the off time", "关_00", "clear", "", 1);
    add("pasting nonsense", "开_00", "paste", "abc", 1);
    add("pasting a time", "关_00", "paste", "07:30:00", 0);
    // 8, 8:, 8:0, 8:00: and 8:00:0 are no times yet; 8:00 and 8:00:00 are.
    add("typing a time", "开_00", "type", "8:00:00", 5);
}

void TimetableTest::timeBoxWarnings()
{
    QFETCH(QString, box);
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(int, warnings);
    Console c(kConsole);
    doubleClickRow(c, 9);
    auto *line = edit<QLineEdit>(c, qPrintable(box));
    line->selectAll();
    if (action == "clear") {
        QTest::keyClick(line, Qt::Key_Backspace);
    } else if (action == "paste") {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(line, text);
    }
    QCOMPARE(line->text(), text);
    QCOMPARE(c.prompts.messages, QStringList(warnings, scheduletexts::kInvalidTimeMessage));

    // Only a warning: the text is confirmed as it stands.
    confirm(c);
    const QString on = box == "开_00" ? text : "00:00:00";
    const QString off = box == "关_00" ? text : "00:00:00";
    QCOMPARE(item(c, 9)->text(), row(9, on, off, ""));
    QCOMPARE(store(c).kai(9), on);
    QCOMPARE(store(c).guan(9), off);
}

void TimetableTest::closingByTheFrameOnlyHides()
{
    Console c(kConsole);
    doubleClickRow(c, 3);
    type(c, "开_00", "06:00:00");
    confirm(c);
    doubleClickRow(c, 4);
    QPointer<Form2> form2 = editor(c);
    QVERIFY(form2->close());
    QVERIFY(form2 && !form2->isVisible());
    QCOMPARE(store(c).kai(3), QStringLiteral("06:00:00"));
    doubleClickRow(c, 40);
    QCOMPARE(editor(c), form2.data());
    QVERIFY(form2->isVisible());
    QCOMPARE(edit<QLineEdit>(c, "开_00")->text(), QStringLiteral("06:00:00"));
    QCOMPARE(c.timetable().Shuangjihang, qint16(40));

    // Exit closes it.
    QVERIFY(c.clickExit());
    QVERIFY(form2 && !form2->isVisible());
}

void TimetableTest::firstStartThenExitWritesTheFiles()
{
    Console c(kConsole);
    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QString());
    QCOMPARE(list(c)->count(), 99);
    for (int n = 0; n < 99; ++n)
        QCOMPARE(item(c, n)->text(), designRow(n));
    QVERIFY(list(c)->selectedItems().isEmpty());
    QVERIFY(!QFile::exists(c.file("321.ini")));

    QVERIFY(c.clickExit());
    QVERIFY(c.prompts.messages.isEmpty());
    QCOMPARE(fileBytes(c.file("123.ini")), QByteArray("\r\n"));
    QCOMPARE(fileBytes(c.file("322.ini")), QByteArray("False\r\n").repeated(99));
    const QByteArray rows = fileBytes(c.file("321.ini"));
    QCOMPARE(rows.size(), 99 * 47);
    for (int n = 0; n < 99; ++n) {
        QByteArray expected = kDesignRowZero;
        expected.replace(0, 2, QByteArray::number(n).rightJustified(2, '0'));
        QCOMPARE(rows.mid(n * 47, 47), expected);
    }
}

void TimetableTest::startUpReadsTheFiles()
{
    Console c(kLaidOutFirst);
    QStringEncoder gbk("GBK");
    QByteArray rows;
    for (int n = 0; n < 10; ++n)
        rows += QByteArray(gbk.encode(row(n, "07:00:00", "19:00:00", "巡航二"))) + "\r\n";
    // Two lines the console cannot take, 5 MB long and holding a NUL: they spoil only their rows.
    QList<QByteArray> lines = rows.split('\n');
    lines[2] = QByteArray(5 << 20, 'x') + '\r';
    lines[3].insert(5, '\0');
    rows = lines.join('\n');
    QVERIFY(writeFile(c.file("321.ini"), rows));
    QVERIFY(writeFile(c.file("322.ini"), "False\r\nFalse\r\nFalse\r\nTrue\r\n"));
    QVERIFY(writeFile(c.file("123.ini"), "10.1.2.3\r\n10.9.9.9\r\n"));
    c.start();

    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(list(c)->selectedItems(), QList<QListWidgetItem *>{item(c, 3)});
    for (int n = 0; n < 99; ++n)
        QCOMPARE(item(c, n)->text(), n < 10 && n != 2 && n != 3
                                         ? row(n, "07:00:00", "19:00:00", "巡航二")
                                         : designRow(n));
    // The rows are shown, but only the editor fills the slot store.
    for (int n = 0; n < 99; ++n)
        QVERIFY(store(c).kai(n).isEmpty() && store(c).guan(n).isEmpty());
    // The two lines are named in the journal.
    const QString unread = c.file("321.ini") + "：第 3-4 行" + scheduletexts::kUnreadRowsEffect;
    const auto named = [&](const JournalDay &day) {
        return day.withEvent(journaltexts::kLinesUnread).value(0).detail == unread;
    };
    QVERIFY(named(waitForJournal(c.dir.path(), named)));
    // What was read is what the exit keeps.
    QVERIFY(c.clickExit());
    const QList<QByteArray> saved = fileBytes(c.file("321.ini")).split('\n');
    for (int n : {0, 1, 4, 9})
        QCOMPARE(saved[n], lines[n]);
}

void TimetableTest::badFlagLineSpoilsOnlyItsRow()
{
    Console c(kLaidOutFirst);
    QList<QByteArray> lines;
    for (int n = 0; n < 99; ++n)
        lines << (n % 3 ? "True" : "False");
    lines[4] = QByteArray("Tr\0ue", 5);
    QVERIFY(writeFile(c.file("322.ini"), lines.join("\r\n") + "\r\n"));
    c.start();
    for (int n = 0; n < 99; ++n)
        QCOMPARE(item(c, n)->isSelected(), n != 4 && n % 3 != 0);
    // No message: the journal names the file and the line.
    const auto unread = waitForJournal(c.dir.path(), [](const JournalDay &day) {
                            return !day.withEvent(journaltexts::kLinesUnread).isEmpty();
                        }).withEvent(journaltexts::kLinesUnread);
    QCOMPARE(unread.size(), 1);
    QCOMPARE(unread[0].detail, c.file("322.ini") + "：第 5 行" + scheduletexts::kUnreadFlagsEffect);
    QVERIFY(c.prompts.messages.isEmpty());
    QVERIFY(c.clickExit());
    lines[4] = "False";
    QCOMPARE(fileBytes(c.file("322.ini")), lines.join("\r\n") + "\r\n");
}

void TimetableTest::roundTripThroughExit()
{
    Console c(kConsole);
    c.get<QLineEdit>("设备IP")->setText("192.168.8.30");
    doubleClickRow(c, 5);
    type(c, "开_00", "08:00:00");
    type(c, "关_00", "18:00:00");
    tickBox(c, 4);
    confirm(c);
    item(c, 60)->setText(QStringLiteral("60 手工：巡航三：额外：€"));
    item(c, 98)->setSelected(true);
    const QStringList shown = texts(c);
    QVERIFY(c.clickExit());

    c.form.reset();
    c.start();
    QCOMPARE(texts(c), shown);
    QCOMPARE(c.get<QLineEdit>("设备IP")->text(), QStringLiteral("192.168.8.30"));
    QVERIFY(store(c).kai(5).isEmpty());
}

void TimetableTest::unwritableFilesAtExit_data()
{
    QTest::addColumn<bool>("readOnlyDirectory");
    QTest::newRow("read-only program directory") << true;
    QTest::newRow("directories in the way") << false;
}

void TimetableTest::unwritableFilesAtExit()
{
    // Run as an ordinary user, whom permissions stop. A file that may be written is saved even
    // where its folder may not be written; the one message names each file that could not be
    // saved, with the reason.
    QFETCH(bool, readOnlyDirectory);
    Console c(kLaidOutFirst);
    const QByteArray oldRows = QByteArray("old row\r\n");
    if (readOnlyDirectory) {
        QVERIFY(writeFile(c.file("321.ini"), oldRows));
        QVERIFY(writeFile(c.file("322.ini"), "True\r\n"));
        QVERIFY(writeFile(c.file("123.ini"), "10.0.0.1\r\n"));
    } else {
        QVERIFY(QDir(c.dir.path()).mkdir("123.ini"));
        QVERIFY(QDir(c.dir.path()).mkdir("322.ini"));
    }
    c.start();
    c.get<QLineEdit>("设备IP")->setText("10.0.0.2");
    doubleClickRow(c, 1);

    QFile dir(c.dir.path());
    const QFile::Permissions permissions = dir.permissions();
    if (readOnlyDirectory) {
        QVERIFY(QFile::setPermissions(c.file("321.ini"), QFile::ReadOwner));
        QVERIFY(dir.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    }
    {
        const AsOperator user({c.dir.path()});
        QVERIFY(user.ok());
        QVERIFY(c.clickExit());
    }
    QVERIFY(dir.setPermissions(permissions));

    using namespace scheduletexts;
    QVERIFY(!editor(c)->isVisible());
    if (readOnlyDirectory) {
        QCOMPARE(c.prompts.messages,
                 QStringList{saveFailedText(c.file("321.ini"), kReasonNoPermission)});
        QCOMPARE(fileBytes(c.file("321.ini")), oldRows);
        QCOMPARE(fileBytes(c.file("123.ini")), QByteArray("10.0.0.2\r\n"));
        // Row 0 as read, row 1 selected by the double-click.
        QCOMPARE(fileBytes(c.file("322.ini")),
                 QByteArray("True\r\n").repeated(2) + QByteArray("False\r\n").repeated(97));
        QCOMPARE(QDir(c.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"123.ini", "321.ini", "322.ini"}));
    } else {
        QCOMPARE(c.prompts.messages,
                 QStringList{saveFailedText(c.file("123.ini"), kReasonIsFolder) + '\n' +
                             saveFailedText(c.file("322.ini"), kReasonIsFolder)});
        QCOMPARE(fileBytes(c.file("321.ini")).size(), 99 * 47);
    }
}

void TimetableTest::fullDiskAtExit_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<QStringList>("unsaved");
    QTest::newRow("a page free") << 4096LL << QStringList{"321.ini"};
    QTest::newRow("nothing free") << 0LL << QStringList{"123.ini", "321.ini", "322.ini"};
}

void TimetableTest::fullDiskAtExit()
{
    // A file that does not fit keeps its bytes, is named with the reason and is entered in the
    // journal (on another disk here) as not saved.
    QFETCH(qint64, freeBytes);
    QFETCH(QStringList, unsaved);
    if (::geteuid() != 0)
        QSKIP("a disk of its own needs root");
    Console c(kLaidOutFirst);
    SmallDisk disk(c.dir.path());
    QTemporaryDir journalDisk;
    QVERIFY(disk.ok() && QFile::link(journalDisk.path(), c.file("journal")));
    // A first run writes the three files; the second changes two of them.
    c.start();
    QVERIFY(c.clickExit());
    c.form.reset();
    c.start();
    c.get<QLineEdit>("设备IP")->setText("10.0.0.2");
    doubleClickRow(c, 1);
    const QStringList files{"123.ini", "321.ini", "322.ini"};
    QList<QByteArray> old;
    for (const QString &name : files)
        old << fileBytes(c.dir.path() + '/' + name);
    QVERIFY(disk.fill(freeBytes));
    QVERIFY(c.clickExit());

    QStringList messages;
    for (const QString &name : unsaved)
        messages << scheduletexts::saveFailedText(c.dir.path() + '/' + name,
                                                  scheduletexts::kReasonDiskFull);
    QCOMPARE(c.prompts.messages, QStringList(messages.join('\n')));
    const auto settings = [](const JournalDay &d) { return d.ofKind(journal::Kind::Settings); };
    const JournalDay day = waitForJournal(
        c.dir.path(), [&](const JournalDay &d) { return settings(d).size() == 6; }, c.now.date(),
        20000);
    for (int i = 0; i < 3; ++i) {
        const bool kept = unsaved.contains(files[i]);
        QCOMPARE(fileBytes(c.dir.path() + '/' + files[i]) == old[i], kept);
        QCOMPARE(settings(day).value(3 + i).event,
                 kept ? journaltexts::kNotSaved : journaltexts::kSaved);
    }
}

void TimetableTest::scan_data()
{
    // A slot is "row|on|off|cruise word|selected".
    QTest::addColumn<QStringList>("slotRows");
    QTest::addColumn<bool>("link");
    QTest::addColumn<bool>("angleControl");
    QTest::addColumn<QByteArray>("lamp");
    QTest::addColumn<QString>("timers");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QByteArray>("cruise");
    QTest::newRow("selected slot")
        << QStringList{"3|08:00:00|18:00:00|巡航二|1"} << true << false << wire::kLampOn.repeated(3)
        << "3" << 2 << wire::kTimetableCruiseTwo.repeated(3);
    QTest::newRow("unselected slot") << QStringList{"3|08:00:00|18:00:00|巡航二|0"} << true << false
                                     << QByteArray() << "" << 0 << QByteArray();
    QTest::newRow("two slots in one second")
        << QStringList{"2|08:00:00|18:00:00|巡航一|1", "7|08:00:00|19:00:00|巡航三|1"} << true
        << false << wire::kLampOn.repeated(6) << "3" << 3
        << wire::kTimetableCruiseThree.repeated(3);
    QTest::newRow("equal on and off times")
        << QStringList{"4|08:00:00|08:00:00|巡航一|1"} << true << false
        << wire::kLampOn.repeated(3) + wire::kLampOff.repeated(3) << "35" << 1
        << wire::kTimetableCruiseOne.repeated(3) + wire::kCruiseStop.repeated(3);
    QTest::newRow("empty off time") << QStringList{"6|08:00:00||巡航一|1"} << true << false
                                    << wire::kLampOn.repeated(3) << "3" << 0 << QByteArray();
    QTest::newRow("no link open") << QStringList{"3|08:00:00|18:00:00|巡航二|1"} << false << false
                                  << QByteArray() << "3" << 2 << QByteArray();
    QTest::newRow("angle control ticked")
        << QStringList{"3|08:00:00|18:00:00|无巡航|1"} << true << true << wire::kLampOn.repeated(3)
        << "3" << 0 << QByteArray();
}

void TimetableTest::scan()
{
    QFETCH(QStringList, slotRows);
    QFETCH(bool, link);
    QFETCH(bool, angleControl);
    QFETCH(QByteArray, lamp);
    QFETCH(QString, timers);
    QFETCH(int, pattern);
    QFETCH(QByteArray, cruise);
    Console c(kConsole);
    c.setClock("07:59:59");
    c.get<QComboBox>("探照灯")->setEditText("01");
    c.get<QCheckBox>("角度控制")->setChecked(angleControl);
    if (link)
        QVERIFY(c.openSerial());
    for (const QString &slot : slotRows) {
        const QStringList f = slot.split('|');
        const int n = f[0].toInt();
        item(c, n)->setText(row(n, f[1], f[2], f[3]));
        item(c, n)->setSelected(f[4] == "1");
        store(c).StoreSlotTimes(n, f[1], f[2]);
    }
    QTimer *start = timer(c, "CommandApply_3定时1000");
    QTimer *stop = timer(c, "CommandApply_5定时1000");
    QVERIFY(!start->isActive() && !stop->isActive());
    c.tick();
    QCOMPARE(c.pty.drain(30), QByteArray());

    c.setClock("08:00:00");
    QElapsedTimer sinceLamp;
    sinceLamp.start();
    c.tick();
    QCOMPARE(start->isActive(), timers.contains('3'));
    QCOMPARE(stop->isActive(), timers.contains('5'));
    QCOMPARE(c.timetable().XunhangHao, qint16(pattern));
    QByteArray got = c.pty.read(qMax<int>(1, lamp.size()), lamp.isEmpty() ? 30 : 3000);
    QCOMPARE(got.toHex(' '), lamp.toHex(' '));
    // The later scans of the same second find the times consumed.
    c.tick();
    for (const QString &slot : slotRows) {
        const QStringList f = slot.split('|');
        const bool fired = f[4] == "1";
        QCOMPARE(store(c).kai(f[0].toInt()), fired ? QStringLiteral("0") : f[1]);
        QCOMPARE(store(c).guan(f[0].toInt()), fired && f[2] == f[1] ? QStringLiteral("0") : f[2]);
    }

    // About a second later the delay timers send the cruise of the slot that fired last.
    QByteArray later;
    QTRY_VERIFY_WITH_TIMEOUT((later += c.pty.drain(5)).size() >= cruise.size() &&
                                 !start->isActive() && !stop->isActive(),
                             5000);
    if (!timers.isEmpty())
        QVERIFY2(sinceLamp.elapsed() >= 900, qPrintable(QString::number(sinceLamp.elapsed())));
    later += c.pty.drain(100);
    QCOMPARE(sortedFrames(later), sortedFrames(cruise));

    // Consumed: the same time on the next day sends nothing.
    c.setClock("08:00:00", 1);
    c.tick();
    QVERIFY(!start->isActive() && !stop->isActive());
    QCOMPARE(c.pty.drain(30), QByteArray());
}

QTEST_MAIN(TimetableTest)
#include "tst_timetable.moc"
