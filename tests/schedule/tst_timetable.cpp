#include "schedule/scheduletexts.h"
#include "schedule/slotstore.h"
#include "schedule/timecheck.h"
#include "schedule/timetable.h"

#include <QStringEncoder>
#include <QTest>

using namespace schedule;

// Row texts, their cruise pattern, the cruise words of the editor, the time check and the slot
// store on their own.
class TestTimetable : public QObject
{
    Q_OBJECT

private slots:
    void rowTexts_data();
    void rowTexts();
    void designRowIs45GbkBytes();
    void cruiseWords();
    void rowCruise_data();
    void rowCruise();
    void timeCheck_data();
    void timeCheck();
    void slotStoreIgnoresSlotsOutsideTheTable();
};

void TestTimetable::rowTexts_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");

    QTest::newRow("row 5") << 5 << QStringLiteral("08:00:00") << QStringLiteral("18:00:00")
                           << cruiseWordOfCheck(2)
                           << QStringLiteral("05 开：08:00:00   关：18:00:00   自动巡航：巡航一");
    QTest::newRow("row 12") << 12 << QStringLiteral("08:00:00") << QStringLiteral("18:00:00")
                            << cruiseWordOfCheck(3)
                            << QStringLiteral("12 开：08:00:00   关：18:00:00   自动巡航：巡航二");
    QTest::newRow("no word yet") << 0 << QStringLiteral("8:00") << QStringLiteral("") << QString()
                                 << QStringLiteral("00 开：8:00   关：   自动巡航：");
    QTest::newRow("times as typed")
        << 98 << QStringLiteral(" 1 ") << QStringLiteral("x") << cruiseWordOfCheck(1)
        << QStringLiteral("98 开： 1    关：x   自动巡航：无巡航");
}

void TestTimetable::rowTexts()
{
    QFETCH(int, slot);
    QFETCH(QString, on);
    QFETCH(QString, off);
    QFETCH(QString, word);
    QFETCH(QString, expected);
    // Compare as UTF-8 so a wrong colon or a missing blank shows in the bytes.
    QCOMPARE(rowText(slot, on, off, word).toUtf8(), expected.toUtf8());
}

void TestTimetable::designRowIs45GbkBytes()
{
    QCOMPARE(designRow(7), QStringLiteral("07 开：00:00:00   关：00:00:00   自动巡航：NO"));
    QStringEncoder gbk("GB18030");
    const QByteArray bytes = gbk.encode(designRow(0));
    QCOMPARE(bytes.toHex(' '), QByteArray("30 30 20 bf aa a3 ba 30 30 3a 30 30 3a 30 30 20 20 20 "
                                          "b9 d8 a3 ba 30 30 3a 30 30 3a 30 30 20 20 20 d7 d4 b6 "
                                          "af d1 b2 ba bd a3 ba 4e 4f"));
    QCOMPARE(bytes.size(), 45);
}

void TestTimetable::cruiseWords()
{
    const QStringList words = {cruiseWordOfCheck(1), cruiseWordOfCheck(2), cruiseWordOfCheck(3),
                               cruiseWordOfCheck(4)};
    QCOMPARE(words, QStringList({QStringLiteral("无巡航"), QStringLiteral("巡航一"),
                                 QStringLiteral("巡航二"), QStringLiteral("巡航三")}));
    QVERIFY(cruiseWordOfCheck(0).isEmpty());
    QVERIFY(cruiseWordOfCheck(5).isEmpty());
}

void TestTimetable::rowCruise_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("pattern");

    const auto row = [](const QString &off, int check) {
        return rowText(5, QStringLiteral("08:00:00"), off, cruiseWordOfCheck(check));
    };
    QTest::newRow("巡航一") << row("18:00:00", 2) << 1;
    QTest::newRow("巡航二") << row("18:00:00", 3) << 2;
    QTest::newRow("巡航三") << row("18:00:00", 4) << 3;
    QTest::newRow("无巡航") << row("18:00:00", 1) << 0;
    QTest::newRow("design NO") << designRow(3) << 0;
    QTest::newRow("empty word") << row("18:00:00", 0) << 0;
    QTest::newRow("empty off time: six pieces") << row("", 3) << 0;
    QTest::newRow("hh:mm times: six pieces") << rowText(1, "8:00", "9:00", "巡航一") << 0;
    QTest::newRow("nine pieces") << rowText(1, "08:00:00:00", "18:00:00", "巡航一") << 0;
    QTest::newRow("ninth piece after the word")
        << rowText(1, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"),
                   QStringLiteral("巡航一:"))
        << 0;
    QTest::newRow("colon inside the word") << rowText(1, "08:00:00", "18:00:00", "巡航:一") << 0;
    QTest::newRow("word with a blank") << rowText(1, "08:00:00", "18:00:00", "巡航一 ") << 0;
    QTest::newRow("all full-width colons")
        << QStringLiteral("05 开：08：00：00   关：18：00：00   自动巡航：巡航三") << 3;
    QTest::newRow("all ASCII colons")
        << QStringLiteral("05 开:08:00:00   关:18:00:00   自动巡航:巡航二") << 2;
    QTest::newRow("eight bare pieces") << QStringLiteral(":::::::巡航一") << 1;
    QTest::newRow("empty row") << QString() << 0;
}

void TestTimetable::rowCruise()
{
    QFETCH(QString, row);
    QFETCH(int, pattern);
    QCOMPARE(ParseRowCruise(row), pattern);
}

void TestTimetable::timeCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    const char *accepted[] = {"12:12:12",        "00:00:00",
                              "23:59:59",        "8:00:00",
                              "08:00",           "8:05",
                              "8:00:00 PM",      "12:30 am",
                              "1:00:00 Am",      "2026-12-08",
                              "2026/12/08",      "2026-1-8",
                              "2024-2-29",       "2026-12-08 08:00:00",
                              "2026/1/5 8:00 PM"};
    for (const char *text : accepted)
        QTest::newRow(text) << QString::fromUtf8(text) << true;
    const char *refused[] = {
        "",          "25:00:00",          "24:00:00",         "12:60:00",       "12:00:60",
        "abc",       "12:12:12:12",       "120:00:00",        "12:5",           "12:",
        ":12",       "13:00 PM",          "0:30 AM",          "8:00:00PM",      "8:00:00 XM",
        " 12:12:12", "12:12:12 ",         "2023-2-29",        "2026-13-01",     "2026-12/08",
        "26-12-08",  "2026-12-08  08:00", "2026-12-08T08:00", "１２:１２:１２", "12：12：12",
        "12.12.12"};
    for (const char *text : refused)
        QTest::newRow(*text ? text : "empty") << QString::fromUtf8(text) << false;
}

void TestTimetable::timeCheck()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(isDateOrTime(text), accepted);
}

void TestTimetable::slotStoreIgnoresSlotsOutsideTheTable()
{
    SlotStore store;
    store.StoreSlotTimes(98, QStringLiteral("08:00:00"), QStringLiteral(" 18:00 "));
    store.StoreSlotTimes(99, QStringLiteral("09:00:00"), QStringLiteral("19:00:00"));
    store.StoreSlotTimes(-1, QStringLiteral("09:00:00"), QStringLiteral("19:00:00"));
    QCOMPARE(store.kai(98), QStringLiteral("08:00:00"));
    QCOMPARE(store.guan(98), QStringLiteral(" 18:00 "));
    QVERIFY(store.kai(99).isEmpty());
    QVERIFY(store.guan(-1).isEmpty());
    QVERIFY(store.kai(0).isEmpty());
}

QTEST_GUILESS_MAIN(TestTimetable)
#include "tst_timetable.moc"
