#include "protocol/frame.h"
#include "protocol/textcommand.h"

#include <QTest>

#include <algorithm>

using namespace protocol;

// Outgoing bytes and texts: every command the console can send, compared with hand-written hex.
class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void checksum_data();
    void checksum();
    void hexText_data();
    void hexText();
    void parseByteText_data();
    void parseByteText();
    void goToAngle_data();
    void goToAngle();
};

namespace {

// No frame is kept as an empty array so that rows can mix builders with and without results.
QByteArray bytesOf(const std::optional<Frame> &frame)
{
    return frame ? toBytes(*frame) : QByteArray();
}

Frame frameOf(const QByteArray &bytes)
{
    Frame frame{};
    std::copy(bytes.cbegin(), bytes.cend(), frame.begin());
    return frame;
}

void addFrame(const char *name, const std::optional<Frame> &frame, const char *expectedHex)
{
    QTest::newRow(name) << bytesOf(frame) << QByteArray::fromHex(expectedHex);
}

} // namespace

void TestFrames::frames_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected"); // with checksum; empty when no frame is sent

    // Every direction at address 1 with pan 0x20, tilt 0x10: the idle axis must read 00.
    const char *const jogHex[] = {"FF 01 00 0C 20 10 3D", "FF 01 00 08 00 10 19",
                                  "FF 01 00 0A 20 10 3B", "FF 01 00 02 20 00 23",
                                  "FF 01 00 12 20 10 43", "FF 01 00 10 00 10 21",
                                  "FF 01 00 14 20 10 45", "FF 01 00 04 20 00 25"};
    const char *const jogNames[] = {"jog up-left",    "jog up",   "jog up-right",  "jog right",
                                    "jog down-right", "jog down", "jog down-left", "jog left"};
    for (std::size_t i = 0; i < kScanOrder.size(); ++i)
        addFrame(jogNames[i], jogFrame(1, kScanOrder[i], 0x20, 0x10), jogHex[i]);

    addFrame("jog up-left 63/63", jogFrame(1, Direction::UpLeft, 63, 63), "FF 01 00 0C 3F 3F 8B");
    addFrame("jog up drops pan", jogFrame(0, Direction::Up, 99, 63), "FF 00 00 08 00 3F 47");
    addFrame("jog right drops tilt", jogFrame(0, Direction::Right, 63, 50), "FF 00 00 02 3F 00 41");
    addFrame("jog up address 1", jogFrame(1, Direction::Up, 0, 63), "FF 01 00 08 00 3F 48");
    addFrame("jog right pan 20", jogFrame(1, Direction::Right, 20, 0), "FF 01 00 02 14 00 17");

    addFrame("lamp on", lampFrame(1, true), "FF 01 02 00 00 00 03");
    addFrame("lamp off", lampFrame(1, false), "FF 01 04 00 00 00 05");

    const char *const setHex[] = {
        "FF 05 61 00 00 00 66", "FF 05 62 00 00 00 67", "FF 05 63 00 00 00 68",
        "FF 05 64 00 00 00 69", "FF 05 65 00 00 00 6A", "FF 05 66 00 00 00 6B",
        "FF 05 67 00 00 00 6C", "FF 05 68 00 00 00 6D", "FF 05 69 00 00 00 6E"};
    const char *const recallHex[] = {
        "FF 05 31 00 00 00 36", "FF 05 32 00 00 00 37", "FF 05 33 00 00 00 38",
        "FF 05 34 00 00 00 39", "FF 05 35 00 00 00 3A", "FF 05 36 00 00 00 3B",
        "FF 05 37 00 00 00 3C", "FF 05 38 00 00 00 3D", "FF 05 39 00 00 00 3E"};
    for (int n = 1; n <= 9; ++n) {
        QTest::addRow("set preset %d", n)
            << bytesOf(presetSetFrame(5, n)) << QByteArray::fromHex(setHex[n - 1]);
        QTest::addRow("recall preset %d", n)
            << bytesOf(presetRecallFrame(5, n)) << QByteArray::fromHex(recallHex[n - 1]);
    }
    addFrame("recall preset 9 wraps", presetRecallFrame(255, 9), "FF FF 39 00 00 00 38");

    addFrame("cruise 1", cruiseStartFrame(1, 1, 0x20, 0x10), "FF 01 00 40 20 10 71");
    addFrame("cruise 2", cruiseStartFrame(1, 2, 0x20, 0x10), "FF 01 00 20 20 10 51");
    addFrame("cruise 3", cruiseStartFrame(1, 3, 0x20, 0x10), "FF 01 00 80 20 10 B1");
    addFrame("cruise 3 wraps", cruiseStartFrame(200, 3, 99, 99), "FF C8 00 80 63 63 0E");
    addFrame("cruise 3 sums to FF", cruiseStartFrame(1, 3, 63, 63), "FF 01 00 80 3F 3F FF");
    addFrame("timetable cruise 1", timetableCruiseStartFrame(1, 1), "FF 01 00 40 05 3F 85");
    addFrame("timetable cruise 2", timetableCruiseStartFrame(1, 2), "FF 01 00 20 3F 05 65");
    addFrame("timetable cruise 3", timetableCruiseStartFrame(1, 3), "FF 01 00 80 3F 3F FF");
    for (int pattern = 1; pattern <= 3; ++pattern)
        QTest::addRow("stop cruise %d", pattern)
            << bytesOf(cruiseStopFrame(1, pattern)) << QByteArray::fromHex("FF 01 01 00 00 00 02");

    for (int bad : {-1, 0, 4}) {
        QTest::addRow("no cruise %d", bad)
            << bytesOf(cruiseStartFrame(1, bad, 1, 1)) << QByteArray();
        QTest::addRow("no timetable cruise %d", bad)
            << bytesOf(timetableCruiseStartFrame(1, bad)) << QByteArray();
        QTest::addRow("no stop %d", bad) << bytesOf(cruiseStopFrame(1, bad)) << QByteArray();
    }
    for (int bad : {0, 10}) {
        QTest::addRow("no set preset %d", bad) << bytesOf(presetSetFrame(1, bad)) << QByteArray();
        QTest::addRow("no recall preset %d", bad)
            << bytesOf(presetRecallFrame(1, bad)) << QByteArray();
    }
}

void TestFrames::frames()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);

    if (expected.isEmpty()) {
        QCOMPARE(built, QByteArray());
        return;
    }
    QCOMPARE(built.size(), 7);
    QCOMPARE(built.left(6), expected.left(6));
    QCOMPARE(quint8(built.at(6)), quint8(0)); // the send path writes the checksum
    QCOMPARE(toBytes(withChecksum(frameOf(built))), expected);
}

void TestFrames::checksum_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");

    QTest::newRow("sum 0x1A7 keeps A7") << QByteArray::fromHex("FF FF A8 00 00 00 55") << 0xA7;
    QTest::newRow("old byte 6 replaced") << QByteArray::fromHex("FF 00 00 00 00 00 EE") << 0x00;
    QTest::newRow("all bytes FF") << QByteArray::fromHex("FF FF FF FF FF FF FF") << 0xFB;
    QTest::newRow("sync not summed") << QByteArray::fromHex("00 01 02 03 04 05 00") << 0x0F;
}

void TestFrames::checksum()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);

    const Frame frame = frameOf(bytes);
    QCOMPARE(protocol::checksum(frame), quint8(expected));
    const Frame sent = withChecksum(frame);
    QCOMPARE(sent[6], quint8(expected));
    QVERIFY(std::equal(sent.cbegin(), sent.cbegin() + 6, frame.cbegin()));
}

void TestFrames::hexText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("jog frame") << QByteArray::fromHex("FF 01 00 08 00 3F 48")
                               << QStringLiteral("FF 01 00 08 00 3F 48 ");
    QTest::newRow("zero byte") << QByteArray(1, '\0') << QStringLiteral("00 ");
    QTest::newRow("padding and case")
        << QByteArray::fromHex("0F F0 ab 0a") << QStringLiteral("0F F0 AB 0A ");
}

void TestFrames::hexText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(protocol::hexText(bytes), expected);
}

void TestFrames::parseByteText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: no value

    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("leading zero") << QStringLiteral("07") << 7;
    QTest::newRow("two leading zeros") << QStringLiteral("007") << 7;
    QTest::newRow("largest") << QStringLiteral("255") << 255;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("256") << QStringLiteral("256") << -1;
    QTest::newRow("300") << QStringLiteral("300") << -1;
    QTest::newRow("999") << QStringLiteral("999") << -1;
    QTest::newRow("four digits") << QStringLiteral("0007") << -1;
    QTest::newRow("minus") << QStringLiteral("-1") << -1;
    QTest::newRow("plus") << QStringLiteral("+5") << -1;
    QTest::newRow("blank before") << QStringLiteral(" 5") << -1;
    QTest::newRow("blank after") << QStringLiteral("5 ") << -1;
    QTest::newRow("letter") << QStringLiteral("1a") << -1;
    QTest::newRow("letters") << QStringLiteral("abc") << -1;
    QTest::newRow("fraction") << QStringLiteral("1.0") << -1;
    QTest::newRow("full-width digit") << QStringLiteral(u"５") << -1;
    QTest::newRow("arabic-indic digit") << QStringLiteral(u"٥") << -1;
    QTest::newRow("superscript two") << QStringLiteral(u"²") << -1;
}

void TestFrames::parseByteText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    const std::optional<quint8> value = protocol::parseByteText(text);
    QCOMPARE(value.has_value(), expected >= 0);
    if (value)
        QCOMPARE(int(*value), expected);
}

void TestFrames::goToAngle_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QByteArray>("bytes"); // what goes on the line; empty: nothing may go out

    QTest::newRow("padded angles") << QStringList{"045", "090", "20", "10"}
                                   << QStringLiteral("R0450902010") << QByteArray("R0450902010");
    QTest::newRow("one-digit speed kept short")
        << QStringList{"060", "060", "63", "5"} << QStringLiteral("R060060635")
        << QByteArray("R060060635");
    QTest::newRow("fraction kept as typed")
        << QStringList{"007.5", "00", "63", "63"} << QStringLiteral("R007.5006363")
        << QByteArray("R007.5006363");
    // The head takes printable ASCII only: these must not go out as '?' or anything else.
    QTest::newRow("unit typed after the angle")
        << QStringList{QStringLiteral("060度"), "060", "63", "63"}
        << QStringLiteral("R060度0606363") << QByteArray();
    QTest::newRow("full-width digit") << QStringList{QStringLiteral("０60"), "060", "63", "63"}
                                      << QStringLiteral("R０600606363") << QByteArray();
    QTest::newRow("control character") << QStringList{"06\t0", "060", "63", "63"}
                                       << QStringLiteral("R06\t00606363") << QByteArray();
}

void TestFrames::goToAngle()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, expected);
    QFETCH(QByteArray, bytes);
    const QString command = goToAngleCommand(fields[0], fields[1], fields[2], fields[3]);
    QCOMPARE(command, expected);
    QCOMPARE(textCommandBytes(command).value_or(QByteArray()), bytes);
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
