// Commands as values and the bytes each puts on the wire, written out in hex so that a change of
// the bytes shows here; what cannot be sent has no bytes.
#include "protocol/command.h"

#include <QtTest>

#include <optional>

using namespace protocol;

Q_DECLARE_METATYPE(protocol::Command)

class CommandTest : public QObject
{
    Q_OBJECT
private slots:
    void bytes_data();
    void bytes();
    void jogKeepsItsDirection();
};

void CommandTest::bytes_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QByteArray>("hex"); // empty: nothing may go out
    QTest::addColumn<bool>("text");
    const auto row = [](const char *name, const Command &c, const char *hex, bool text = false) {
        QTest::newRow(name) << c << QByteArray(hex) << text;
    };
    row("lamp on", lamp(7, true), "ff07020000 0009");
    row("lamp off", lamp(255, false), "ffff040000 0003");
    // The idle axis of a straight move goes out as 0, whatever the speed box says.
    row("jog up", jog(1, Direction::Up, 0x3f, 0x20), "ff01000800 2029");
    row("jog right", jog(1, Direction::Right, 0x3f, 0x20), "ff0100023f 0042");
    row("jog down-left", jog(2, Direction::DownLeft, 5, 6), "ff02001405 0621");
    row("stick, pan only", motion(3, 0x04, 9, 9), "ff03000409 0010");
    row("preset set 9", presetSet(1, 9), "ff01690000 006a");
    row("preset recall 1", presetRecall(2, 1), "ff02310000 0033");
    row("preset 0", presetRecall(2, 0), "");
    row("preset 10", presetSet(2, 10), "");
    row("cruise two", cruiseStart(3, 2, 63, 5), "ff0300203f 0567");
    row("timetable cruise three", timetableCruiseStart(3, 3), "ff0300803f 3f01");
    row("cruise none", cruiseStart(3, 0, 63, 5), "");
    row("cruise stop", cruiseStop(4, 3), "ff04010000 0005");
    row("cruise stop, no pattern", cruiseStop(4, 0), "");
    row("text lamp on", textLamp(true), "526f6f6f6f6f6f6f6f6f6f", true);
    row("text lamp off", textLamp(false), "5263636363636363636363", true);
    row("text stop", textStop(), "5273737373737373737373", true);
    row("query", queryPosition(), "526c6c6c6c6c6c6c6c6c6c", true);
    row("go to", goToAngles("060", "045", "20", "10"), "52303630303435323031 30", true);
    row("go to, not ASCII", goToAngles("06度", "045", "20", "10"), "", true);
}

void CommandTest::bytes()
{
    QFETCH(Command, command);
    QFETCH(QByteArray, hex);
    QFETCH(bool, text);
    QCOMPARE(command.isText(), text);
    const std::optional<QByteArray> bytes = bytesOf(command);
    if (hex.isEmpty()) {
        QVERIFY(!bytes);
        return;
    }
    QVERIFY(bytes);
    QCOMPARE(bytes->toHex(), QByteArray::fromHex(hex).toHex());
}

void CommandTest::jogKeepsItsDirection()
{
    for (const Direction d : kScanOrder)
        QCOMPARE(jog(9, d, 20, 20).direction(), std::optional(d));
    // Both horizontal bits at once is no direction of the pad.
    QCOMPARE(motion(9, kLeftBit | kRightBit, 20, 20).direction(), std::nullopt);
    QCOMPARE(lamp(9, true).direction(), std::nullopt);
}

QTEST_GUILESS_MAIN(CommandTest)
#include "tst_command.moc"
