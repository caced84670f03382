// What a sent frame asks of the head, read back as the journal names it: every builder's frame,
// and bytes that are no frame of ours.
#include "protocol/frame.h"

#include <QtTest>

using namespace protocol;
using K = FrameMeaning::Kind;

namespace {
QByteArray bytesOf(const Frame &frame)
{
    return toBytes(withChecksum(frame));
}
} // namespace

class FrameMeaningTest : public QObject
{
    Q_OBJECT
private slots:
    void meanings_data();
    void meanings();
};

void FrameMeaningTest::meanings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("number");
    QTest::newRow("lamp on") << bytesOf(lampFrame(7, true)) << int(K::LampOn) << 7 << 0;
    QTest::newRow("lamp off") << bytesOf(lampFrame(255, false)) << int(K::LampOff) << 255 << 0;
    QTest::newRow("preset set 9") << bytesOf(*presetSetFrame(1, 9)) << int(K::PresetSet) << 1 << 9;
    QTest::newRow("preset recall 1")
        << bytesOf(*presetRecallFrame(2, 1)) << int(K::PresetRecall) << 2 << 1;
    QTest::newRow("cruise two") << bytesOf(*cruiseStartFrame(3, 2, 63, 5)) << int(K::CruiseStart)
                                << 3 << 2;
    QTest::newRow("timetable cruise three")
        << bytesOf(*timetableCruiseStartFrame(3, 3)) << int(K::CruiseStart) << 3 << 3;
    QTest::newRow("cruise stop") << bytesOf(*cruiseStopFrame(4, 3)) << int(K::CruiseStop) << 4 << 0;
    // Right is 00 02, the lamp 02 00: the second command byte tells them apart.
    QTest::newRow("jog right") << bytesOf(jogFrame(1, Direction::Right, 63, 0)) << int(K::Jog) << 1
                               << 0;
    QTest::newRow("unknown command") << QByteArray::fromHex("ff0177000000") + '\x78'
                                     << int(K::Unknown) << 1 << 0;
    QTest::newRow("too short") << QByteArray::fromHex("ff01020000") << int(K::Unknown) << 0 << 0;
    QTest::newRow("no sync") << QByteArray::fromHex("fe010200000003") << int(K::Unknown) << 0 << 0;
}

void FrameMeaningTest::meanings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(int, number);
    const FrameMeaning m = meaningOf(bytes);
    QCOMPARE(int(m.kind), kind);
    QCOMPARE(int(m.address), address);
    QCOMPARE(m.number, number);
}

QTEST_GUILESS_MAIN(FrameMeaningTest)
#include "tst_framemeaning.moc"
