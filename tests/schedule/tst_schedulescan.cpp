#include "schedule/schedulescan.h"
#include "schedule/slotstore.h"
#include "schedule/timetable.h"

#include <QTest>

using namespace schedule;

namespace schedule {
// Found by QCOMPARE through argument lookup: a failing comparison names the firings.
char *toString(const SlotFiring &f)
{
    return qstrdup(QStringLiteral("{slot %1 %2 pattern %3}")
                       .arg(f.slot)
                       .arg(f.lampOn ? QStringLiteral("on") : QStringLiteral("off"))
                       .arg(f.pattern)
                       .toUtf8()
                       .constData());
}
} // namespace schedule

// The clock scan's decisions over a timetable list of 99 rows, a selection and a slot store.
class TestScheduleScan : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void slotFiresOnceAndIsConsumed();
    void unselectedSlotWaits();
    void twoSlotsInOneSecondFireInSlotOrder();
    void equalOnAndOffTimesFireOnThenOff();
    void emptyOffTimeNeverFiresAndHidesThePattern();
    void emptyAndConsumedTimesNeverFire();
    void quietTickReadsNoRowText();

private:
    // The editor's confirmation of slot n: row text, slot store and selection.
    void confirm(int slot, const QString &on, const QString &off, int check);
    QList<SlotFiring> scan(const QString &time);

    QStringList m_rows;
    QList<bool> m_selected;
    SlotStore m_store;
    int m_rowReads = 0;
};

void TestScheduleScan::init()
{
    m_rows.clear();
    for (int n = 0; n < kRowCount; ++n)
        m_rows.append(designRow(n));
    m_selected = QList<bool>(kRowCount, false);
    m_store = SlotStore();
    m_rowReads = 0;
}

void TestScheduleScan::confirm(int slot, const QString &on, const QString &off, int check)
{
    m_rows[slot] = rowText(slot, on, off, cruiseWordOfCheck(check));
    m_store.StoreSlotTimes(slot, on, off);
    m_selected[slot] = true;
}

QList<SlotFiring> TestScheduleScan::scan(const QString &time)
{
    return scanSlots(
        time, m_store, [this](int n) { return m_selected.at(n); },
        [this](int n) {
            ++m_rowReads;
            return m_rows.at(n);
        });
}

void TestScheduleScan::slotFiresOnceAndIsConsumed()
{
    confirm(3, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), 3);
    QVERIFY(scan(QStringLiteral("07:59:59")).isEmpty());
    QCOMPARE(scan(QStringLiteral("08:00:00")), QList<SlotFiring>({{3, true, 2}}));
    QCOMPARE(m_store.kai(3), QStringLiteral("0"));
    QCOMPARE(m_store.guan(3), QStringLiteral("18:00:00"));
    QVERIFY(scan(QStringLiteral("08:00:00")).isEmpty()); // the rest of that second, the next day
    QCOMPARE(scan(QStringLiteral("18:00:00")), QList<SlotFiring>({{3, false, 2}}));
    QCOMPARE(m_store.guan(3), QStringLiteral("0"));
    QVERIFY(scan(QStringLiteral("18:00:00")).isEmpty());
    // The row still shows both times; only the store was consumed.
    QVERIFY(m_rows.at(3).contains(QStringLiteral("08:00:00")));
}

void TestScheduleScan::unselectedSlotWaits()
{
    confirm(3, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), 2);
    m_selected[3] = false;
    QVERIFY(scan(QStringLiteral("08:00:00")).isEmpty());
    QCOMPARE(m_store.kai(3), QStringLiteral("08:00:00"));
    m_selected[3] = true;
    QCOMPARE(scan(QStringLiteral("08:00:00")), QList<SlotFiring>({{3, true, 1}}));
}

void TestScheduleScan::twoSlotsInOneSecondFireInSlotOrder()
{
    confirm(7, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), 4);
    confirm(2, QStringLiteral("08:00:00"), QStringLiteral("19:00:00"), 2);
    QCOMPARE(scan(QStringLiteral("08:00:00")), QList<SlotFiring>({{2, true, 1}, {7, true, 3}}));
    QCOMPARE(m_store.kai(2), QStringLiteral("0"));
    QCOMPARE(m_store.kai(7), QStringLiteral("0"));
}

void TestScheduleScan::equalOnAndOffTimesFireOnThenOff()
{
    confirm(40, QStringLiteral("12:00:00"), QStringLiteral("12:00:00"), 3);
    confirm(41, QStringLiteral("12:00:00"), QStringLiteral("13:00:00"), 1);
    QCOMPARE(scan(QStringLiteral("12:00:00")),
             QList<SlotFiring>({{40, true, 2}, {40, false, 2}, {41, true, 0}}));
    QCOMPARE(m_store.kai(40), QStringLiteral("0"));
    QCOMPARE(m_store.guan(40), QStringLiteral("0"));
}

void TestScheduleScan::emptyOffTimeNeverFiresAndHidesThePattern()
{
    confirm(5, QStringLiteral("08:00:00"), QString(), 4);
    QCOMPARE(scan(QStringLiteral("08:00:00")), QList<SlotFiring>({{5, true, 0}}));
    QVERIFY(scan(QString()).isEmpty());
    QVERIFY(m_store.guan(5).isEmpty());
}

void TestScheduleScan::emptyAndConsumedTimesNeverFire()
{
    confirm(0, QStringLiteral("0"), QStringLiteral("0"), 2);
    for (int n = 1; n < kRowCount; ++n)
        m_selected[n] = true; // selected but never confirmed: empty times
    QVERIFY(scan(QStringLiteral("0")).isEmpty());
    QVERIFY(scan(QString()).isEmpty());
    QVERIFY(scan(QStringLiteral("00:00:00")).isEmpty()); // the row shows 00:00:00, the store not
}

void TestScheduleScan::quietTickReadsNoRowText()
{
    for (int n = 0; n < kRowCount; ++n)
        confirm(n, QStringLiteral("08:00:00"), QStringLiteral("18:00:00"), 2);
    QVERIFY(scan(QStringLiteral("09:00:00")).isEmpty());
    QCOMPARE(m_rowReads, 0);
    QCOMPARE(scan(QStringLiteral("08:00:00")).size(), kRowCount);
    QCOMPARE(m_rowReads, kRowCount);
}

QTEST_GUILESS_MAIN(TestScheduleScan)
#include "tst_schedulescan.moc"
