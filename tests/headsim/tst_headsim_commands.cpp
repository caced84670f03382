#include "tools/headsim/framecommand.h"
#include "tools/headsim/streamdecoder.h"
#include "tools/headsim/textcommand.h"

#include <QTest>

using namespace headsim;

// Every code the console sends, read back by the head's own decoder, and the text commands.
class TestHeadsimCommands : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void texts_data();
    void texts();
};

void TestHeadsimCommands::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("line");

    const auto row = [](const char *name, const char *hex, const char *line) {
        QTest::newRow(name) << QByteArray::fromHex(hex) << QString::fromLatin1(line);
    };
    row("lamp on", "FF 01 02 00 00 00 03", "addr 01 lamp on");
    row("lamp off", "FF 01 04 00 00 00 05", "addr 01 lamp off");
    row("up-left", "FF 01 00 0C 3F 3F 8B", "addr 01 jog up-left pan 0x3F tilt 0x3F");
    row("up", "FF 00 00 08 00 3F 47", "addr 00 jog up pan 0x00 tilt 0x3F");
    row("up-right", "FF 01 00 0A 3F 3F 89", "addr 01 jog up-right pan 0x3F tilt 0x3F");
    row("right", "FF 00 00 02 3F 00 41", "addr 00 jog right pan 0x3F tilt 0x00");
    row("down-right", "FF 01 00 12 3F 3F 91", "addr 01 jog down-right pan 0x3F tilt 0x3F");
    row("down", "FF 01 00 10 00 3F 50", "addr 01 jog down pan 0x00 tilt 0x3F");
    row("down-left", "FF 01 00 14 20 10 45", "addr 01 jog down-left pan 0x20 tilt 0x10");
    row("left", "FF 01 00 04 3F 00 44", "addr 01 jog left pan 0x3F tilt 0x00");
    row("no direction", "FF 01 00 00 00 00 01", "addr 01 jog stop pan 0x00 tilt 0x00");
    row("set preset 1", "FF 01 61 00 00 00 62", "addr 01 preset set 1");
    row("set preset 3", "FF 05 63 00 00 00 68", "addr 05 preset set 3");
    row("set preset 9", "FF 01 69 00 00 00 6A", "addr 01 preset set 9");
    row("recall preset 1", "FF 01 31 00 00 00 32", "addr 01 preset recall 1");
    row("recall preset 9, sum wraps", "FF FF 39 00 00 00 38", "addr 255 preset recall 9");
    row("cruise 1", "FF 01 00 40 05 3F 85", "addr 01 cruise start 1 pan 0x05 tilt 0x3F");
    row("cruise 2", "FF 01 00 20 3F 05 65", "addr 01 cruise start 2 pan 0x3F tilt 0x05");
    row("cruise 3 at 99", "FF C8 00 80 63 63 0E", "addr 200 cruise start 3 pan 0x63 tilt 0x63");
    row("cruise stop", "FF 01 01 00 00 00 02", "addr 01 cruise stop");
    row("preset 0", "FF 01 60 00 00 00 61", "addr 01 unknown FF 01 60 00 00 00 61");
    row("preset 10", "FF 01 3A 00 00 00 3B", "addr 01 unknown FF 01 3A 00 00 00 3B");
    row("lamp with data", "FF 01 02 00 05 00 08", "addr 01 unknown FF 01 02 00 05 00 08");
    row("right and left", "FF 01 00 06 3F 00 46", "addr 01 unknown FF 01 00 06 3F 00 46");
    row("cruise bits mixed", "FF 01 00 60 3F 3F DF", "addr 01 unknown FF 01 00 60 3F 3F DF");
}

void TestHeadsimCommands::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, line);

    // The row's checksum must pass the stream decoder, so each row is a frame as sent.
    StreamDecoder decoder;
    const std::vector<Piece> pieces = decoder.feed(frame);
    QCOMPARE(pieces.size(), size_t(1));
    QCOMPARE(pieces.front().kind, Piece::Kind::Frame);
    QCOMPARE(describe(decodeFrame(pieces.front().bytes)), line);
}

void TestHeadsimCommands::texts_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<TextCommand::Kind>("kind");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    QTest::addColumn<QString>("reason");

    using K = TextCommand::Kind;
    QTest::newRow("lamp on") << QByteArray("Roooooooooo") << K::LampOn << 0.0 << 0.0 << "";
    QTest::newRow("lamp off") << QByteArray("Rcccccccccc") << K::LampOff << 0.0 << 0.0 << "";
    QTest::newRow("stop") << QByteArray("Rssssssssss") << K::Stop << 0.0 << 0.0 << "";
    QTest::newRow("query") << QByteArray("Rllllllllll") << K::Query << 0.0 << 0.0 << "";
    QTest::newRow("go to") << QByteArray("R0900452010") << K::GoTo << 90.0 << 45.0 << "";
    QTest::newRow("one-digit speed") << QByteArray("R060060635") << K::GoTo << 60.0 << 60.0 << "";
    QTest::newRow("no speeds, ends of range")
        << QByteArray("R360180") << K::GoTo << 360.0 << 180.0 << "";
    // "7.5" typed as the pan arrives as "007.5": three characters each, as fixed.
    QTest::newRow("fraction in the pan")
        << QByteArray("R007.50606363") << K::GoTo << 7.0 << 0.5 << "";
    QTest::newRow("emptied pan box")
        << QByteArray("R000606363") << K::Bad << 0.0 << 0.0 << "out of range";
    QTest::newRow("pan over 360") << QByteArray("R3610002010") << K::Bad << 0.0 << 0.0
                                  << "out of range";
    QTest::newRow("short") << QByteArray("R09004") << K::Bad << 0.0 << 0.0 << "short";
    QTest::newRow("cut-off lamp on") << QByteArray("Rooooo") << K::Bad << 0.0 << 0.0 << "short";
    QTest::newRow("letters") << QByteArray("Rooooooo") << K::Bad << 0.0 << 0.0 << "not an angle";
    QTest::newRow("minus sign") << QByteArray("R-05060") << K::Bad << 0.0 << 0.0 << "not an angle";
}

void TestHeadsimCommands::texts()
{
    QFETCH(QByteArray, raw);
    QFETCH(TextCommand::Kind, kind);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    QFETCH(QString, reason);

    const TextCommand command = parseText(raw);
    QCOMPARE(command.kind, kind);
    QCOMPARE(command.reason, reason);
    if (kind == TextCommand::Kind::GoTo) {
        QCOMPARE(command.pan, pan);
        QCOMPARE(command.tilt, tilt);
    }
}

QTEST_GUILESS_MAIN(TestHeadsimCommands)
#include "tst_headsim_commands.moc"
