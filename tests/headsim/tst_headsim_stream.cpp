#include "tools/headsim/channel.h"
#include "tools/headsim/clock.h"
#include "tools/headsim/simulator.h"
#include "tools/headsim/streamdecoder.h"

#include <QSignalSpy>
#include <QTest>

using namespace headsim;

// How the head cuts a link's bytes into frames and text commands, and the silence that ends one.
class TestHeadsimStream : public QObject
{
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void silenceEndsAngleCommand();
    void queryIsAnsweredOnItsChannel();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QString describe(const Piece &piece)
{
    switch (piece.kind) {
    case Piece::Kind::Frame:
        return QStringLiteral("frame ") + QString::fromLatin1(piece.bytes.toHex(' ').toUpper());
    case Piece::Kind::BadFrame:
        return QStringLiteral("bad ") + QString::fromLatin1(piece.bytes.toHex(' ').toUpper());
    case Piece::Kind::Text:
        return QStringLiteral("text ") + QString::fromLatin1(piece.bytes);
    case Piece::Kind::Garbage:
        return QStringLiteral("garbage ") + QString::fromLatin1(piece.bytes.toHex(' ').toUpper());
    }
    return {};
}

} // namespace

void TestHeadsimStream::pieces_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("silenceAtEnd");
    QTest::addColumn<QStringList>("expected");

    const QByteArray lampOn = hex("FF01020000 0003");
    QTest::newRow("one frame") << QList{lampOn} << false
                               << QStringList{"frame FF 01 02 00 00 00 03"};
    QTest::newRow("bad checksum") << QList{hex("FF01020000 0004")} << false
                                  << QStringList{"bad FF 01 02 00 00 00 04"};
    QTest::newRow("garbage then frame")
        << QList{hex("010203") + lampOn} << false
        << QStringList{"garbage 01 02 03", "frame FF 01 02 00 00 00 03"};
    QTest::newRow("frame split over three chunks")
        << QList{hex("FF0102"), hex("0000"), hex("0003")} << false
        << QStringList{"frame FF 01 02 00 00 00 03"};
    QTest::newRow("frame behind a stray sync")
        << QList{hex("FF00") + lampOn} << false
        << QStringList{"bad FF 00 FF 01 02 00 00", "frame FF 01 02 00 00 00 03"};
    QTest::newRow("0xFF inside garbage")
        << QList{hex("1122FF334455667788") + lampOn} << false
        << QStringList{"garbage 11 22", "bad FF 33 44 55 66 77 88", "frame FF 01 02 00 00 00 03"};
    QTest::newRow("R as a frame byte")
        << QList{hex("FF52020000 0054")} << false << QStringList{"frame FF 52 02 00 00 00 54"};
    QTest::newRow("partial frame outlasts silence") << QList{hex("FF0102"), hex("00000003")} << true
                                                    << QStringList{"frame FF 01 02 00 00 00 03"};
    QTest::newRow("fixed texts back to back")
        << QList{QByteArray("RooooooooooRccccccccccRssssssssssRllllllllll")} << false
        << QStringList{"text Roooooooooo", "text Rcccccccccc", "text Rssssssssss",
                       "text Rllllllllll"};
    QTest::newRow("fixed text split") << QList{QByteArray("Rllll"), QByteArray("llllll")} << false
                                      << QStringList{"text Rllllllllll"};
    QTest::newRow("frame, text, frame")
        << QList{lampOn + "Rllllllllll" + lampOn} << false
        << QStringList{"frame FF 01 02 00 00 00 03", "text Rllllllllll",
                       "frame FF 01 02 00 00 00 03"};
    QTest::newRow("angle command waits for its end")
        << QList{QByteArray("R0900452010")} << false << QStringList{};
    QTest::newRow("angle command ended by silence")
        << QList{QByteArray("R06006"), QByteArray("0635")} << true
        << QStringList{"text R060060635"};
    QTest::newRow("angle command ended by a frame")
        << QList{QByteArray("R0900452010") + lampOn} << false
        << QStringList{"text R0900452010", "frame FF 01 02 00 00 00 03"};
    QTest::newRow("angle command ended by the next command")
        << QList{QByteArray("R0900452010Rllllllllll")} << false
        << QStringList{"text R0900452010", "text Rllllllllll"};
    QTest::newRow("silence ends garbage")
        << QList{hex("0102")} << true << QStringList{"garbage 01 02"};
}

void TestHeadsimStream::pieces()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, silenceAtEnd);
    QFETCH(QStringList, expected);

    StreamDecoder decoder;
    QStringList seen;
    for (const QByteArray &chunk : chunks) {
        for (const Piece &piece : decoder.feed(chunk))
            seen << describe(piece);
    }
    if (silenceAtEnd) {
        for (const Piece &piece : decoder.flush())
            seen << describe(piece);
    }
    QCOMPARE(seen, expected);
}

void TestHeadsimStream::silenceEndsAngleCommand()
{
    const SteadyClock clock;
    Simulator simulator(clock);
    Channel channel(simulator);
    QSignalSpy lines(&simulator, &Simulator::lineLogged);

    channel.receive("R0900452010");
    QCOMPARE(lines.count(), 0);
    QTRY_COMPARE(lines.count(), 1);
    QCOMPARE(lines.at(0).at(0).toString(), QStringLiteral("text R0900452010 goto pan 90 tilt 45"));
    QCOMPARE(simulator.goodCount(), 1);
}

void TestHeadsimStream::queryIsAnsweredOnItsChannel()
{
    const SteadyClock clock;
    Simulator simulator(clock);
    Channel first(simulator);
    Channel second(simulator);
    QSignalSpy firstReplies(&first, &Channel::reply);
    QSignalSpy secondReplies(&second, &Channel::reply);

    second.receive(hex("FF01020000 0004") + "Rllllllllll");
    QCOMPARE(firstReplies.count(), 0);
    QCOMPARE(secondReplies.count(), 1);
    QCOMPARE(secondReplies.at(0).at(0).toByteArray(), QByteArray("T000090llll"));
    QCOMPARE(simulator.badCount(), 1);
    QCOMPARE(simulator.goodCount(), 1);
}

QTEST_GUILESS_MAIN(TestHeadsimStream)
#include "tst_headsim_stream.moc"
