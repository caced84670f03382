#include "tools/headsim/headmodel.h"

#include <QTest>

using namespace headsim;

// The head's motion with a stepped clock: rates, the 100 ms hold, wrap and clamp, presets,
// cruises, text commands and the position reply.
class TestHeadsimModel : public QObject
{
    Q_OBJECT

private slots:
    void speedCurve_data();
    void speedCurve();
    void speedCurveRises();
    void jogRunsUntilFramesStop();
    void oneJogFrame_data();
    void oneJogFrame();
    void longJogWrapsPanAndClampsTilt();
    void presetsPerAddress();
    void cruise_data();
    void cruise();
    void cruiseEnds();
    void textCommandsFollowLastFrame();
    void positionReply_data();
    void positionReply();
};

namespace {

FrameCommand frame(int address, int command1, int command2, int data1 = 0, int data2 = 0)
{
    QByteArray bytes(7, 0);
    bytes[0] = char(0xFF);
    bytes[1] = char(address);
    bytes[2] = char(command1);
    bytes[3] = char(command2);
    bytes[4] = char(data1);
    bytes[5] = char(data2);
    return decodeFrame(bytes);
}

TextCommand text(const char *raw)
{
    return parseText(QByteArray(raw));
}

// Motion frames every 10 ms from `from` up to, but not including, `to`, as the console's jog
// scan sends them while a button is held.
void hold(HeadModel &model, const FrameCommand &command, qint64 from, qint64 to)
{
    for (qint64 t = from; t < to; t += 10)
        model.apply(command, t);
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

} // namespace

void TestHeadsimModel::speedCurve_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<double>("rate");
    QTest::newRow("0 stands still") << 0 << 0.0;
    QTest::newRow("1 slowest") << 1 << 0.5;
    QTest::newRow("0x20 middle") << 0x20 << 0.5 * std::sqrt(80.0);
    QTest::newRow("0x3F top") << 0x3F << 40.0;
    QTest::newRow("0x51 half turbo") << 0x51 << 60.0;
    QTest::newRow("0x63 turbo") << 0x63 << 80.0;
    QTest::newRow("0xFF beyond") << 0xFF << 80.0;
}

void TestHeadsimModel::speedCurve()
{
    QFETCH(int, speed);
    QFETCH(double, rate);
    QVERIFY2(near(HeadModel::rateForSpeed(speed), rate),
             qPrintable(QString::number(HeadModel::rateForSpeed(speed))));
}

void TestHeadsimModel::speedCurveRises()
{
    for (int s = 1; s <= 0x63; ++s)
        QVERIFY2(HeadModel::rateForSpeed(s) > HeadModel::rateForSpeed(s - 1),
                 qPrintable(QString::number(s)));
}

void TestHeadsimModel::jogRunsUntilFramesStop()
{
    HeadModel model;
    hold(model, frame(1, 0, 0x02, 0x3F, 0), 0, 1000); // last frame at 990
    model.advance(1000);
    QVERIFY(near(model.head(1).position.pan, 40));
    // Uneven steps must not change where it ends: 100 ms after the last frame, at 1090.
    model.advance(1033);
    model.advance(1089);
    QVERIFY(model.moving());
    model.advance(1200);
    QVERIFY(near(model.head(1).position.pan, 43.6));
    QVERIFY(!model.moving());
    QVERIFY(near(model.head(0).position.pan, 0));
}

void TestHeadsimModel::oneJogFrame_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    // One frame at 0x3F (40 degrees per second) moves for 100 ms: 4 degrees.
    QTest::newRow("up") << 0x08 << 0.0 << 94.0;
    QTest::newRow("down") << 0x10 << 0.0 << 86.0;
    QTest::newRow("right") << 0x02 << 4.0 << 90.0;
    QTest::newRow("left wraps") << 0x04 << 356.0 << 90.0;
    QTest::newRow("up-right") << 0x0A << 4.0 << 94.0;
    QTest::newRow("down-left") << 0x14 << 356.0 << 86.0;
    QTest::newRow("no direction") << 0x00 << 0.0 << 90.0;
}

void TestHeadsimModel::oneJogFrame()
{
    QFETCH(int, bits);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    HeadModel model;
    model.apply(frame(3, 0, bits, 0x3F, 0x3F), 0);
    model.advance(500);
    QVERIFY2(near(model.head(3).position.pan, pan),
             qPrintable(QString::number(model.head(3).position.pan)));
    QVERIFY(near(model.head(3).position.tilt, tilt));
}

void TestHeadsimModel::longJogWrapsPanAndClampsTilt()
{
    HeadModel model;
    hold(model, frame(2, 0, 0x0A, 0x63, 0x63), 0, 5000); // 80 degrees per second to 5090 ms
    model.advance(6000);
    QVERIFY(near(model.head(2).position.pan, 407.2 - 360));
    QCOMPARE(model.head(2).position.tilt, 180.0);
    hold(model, frame(2, 0, 0x10, 0, 0x63), 6000, 9000);
    model.advance(9500);
    QCOMPARE(model.head(2).position.tilt, 0.0);
}

void TestHeadsimModel::presetsPerAddress()
{
    HeadModel model;
    hold(model, frame(4, 0, 0x0A, 0x3F, 0x3F), 0, 410); // moves until 500: pan 20, tilt 110
    model.advance(1000);
    model.apply(frame(4, 0x62, 0), 1000);
    hold(model, frame(4, 0, 0x14, 0x63, 0x63), 1000, 1410); // away: pan 340, tilt 70
    model.advance(2000);
    QVERIFY(near(model.head(4).position.pan, 340));

    model.apply(frame(5, 0x32, 0), 2000); // address 5 has no preset 2
    model.apply(frame(4, 0x35, 0), 2000); // address 4 has no preset 5
    QVERIFY(!model.moving());

    model.apply(frame(4, 0x32, 0), 2000);
    model.advance(2100); // 90 degrees per second, the shorter way round through 0
    QVERIFY(near(model.head(4).position.pan, 349));
    QVERIFY(near(model.head(4).position.tilt, 79));
    model.advance(4000);
    QVERIFY(near(model.head(4).position.pan, 20));
    QVERIFY(near(model.head(4).position.tilt, 110));
    QVERIFY(!model.moving());
    QCOMPARE(model.head(5).position.pan, 0.0);
}

void TestHeadsimModel::cruise_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    // Pan turns right without end; tilt sweeps 90 -> 180 -> 0 and back, at 40 per second.
    QTest::newRow("1 pans") << 0x40 << 2 << 80.0 << 90.0;
    QTest::newRow("1 pans round") << 0x40 << 10 << 40.0 << 90.0;
    QTest::newRow("2 tilts up") << 0x20 << 2 << 0.0 << 170.0;
    QTest::newRow("2 turns at the top") << 0x20 << 4 << 0.0 << 110.0;
    QTest::newRow("2 turns at the bottom") << 0x20 << 8 << 0.0 << 50.0;
    QTest::newRow("3 both") << 0x80 << 4 << 160.0 << 110.0;
}

void TestHeadsimModel::cruise()
{
    QFETCH(int, code);
    QFETCH(int, seconds);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    HeadModel model;
    model.apply(frame(6, 0, code, 0x3F, 0x3F), 0);
    for (qint64 t = 7; t <= seconds * 1000; t += 13) // uneven ticks
        model.advance(t);
    model.advance(seconds * 1000);
    QVERIFY2(near(model.head(6).position.pan, pan),
             qPrintable(QString::number(model.head(6).position.pan)));
    QVERIFY2(near(model.head(6).position.tilt, tilt),
             qPrintable(QString::number(model.head(6).position.tilt)));
    QCOMPARE(model.head(6).cruise, code == 0x40 ? 1 : code == 0x20 ? 2 : 3);
}

void TestHeadsimModel::cruiseEnds()
{
    HeadModel model;
    model.apply(frame(1, 0, 0x40, 0x3F, 0), 0);
    model.apply(frame(1, 0x01, 0), 1000);
    model.advance(5000);
    QVERIFY(near(model.head(1).position.pan, 40));
    QCOMPARE(model.head(1).cruise, 0);

    model.apply(frame(1, 0, 0x40, 0x3F, 0), 5000);
    model.apply(text("Rssssssssss"), 6000);
    model.advance(9000);
    QVERIFY(near(model.head(1).position.pan, 80));
    QVERIFY(!model.moving());

    model.apply(frame(1, 0, 0x80, 0x3F, 0x3F), 9000);
    model.apply(frame(1, 0, 0x08, 0, 0x3F), 10000); // a jog takes over from the cruise
    model.advance(12000);
    QCOMPARE(model.head(1).cruise, 0);
    QVERIFY(near(model.head(1).position.pan, 120));
    QVERIFY(near(model.head(1).position.tilt, 134));
}

void TestHeadsimModel::textCommandsFollowLastFrame()
{
    HeadModel model;
    QCOMPARE(model.apply(text("Rllllllllll"), 0), QByteArray("T000090llll"));
    model.apply(frame(9, 0x04, 0), 0);
    QCOMPARE(model.apply(text("Roooooooooo"), 0), QByteArray());
    QVERIFY(model.head(9).lamp);
    QVERIFY(!model.head(0).lamp);

    model.apply(text("R3500452010"), 0); // from pan 0 the shorter way is to the left
    model.advance(100);
    QVERIFY(near(model.head(9).position.pan, 351));
    model.advance(1000);
    QCOMPARE(model.apply(text("Rllllllllll"), 1000), QByteArray("T350045llll"));
    model.apply(text("Rcccccccccc"), 1000);
    QVERIFY(!model.head(9).lamp);
    QCOMPARE(model.head(0).position.pan, 0.0);
}

void TestHeadsimModel::positionReply_data()
{
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("start") << 0.0 << 90.0 << QByteArray("T000090llll");
    QTest::newRow("three digits") << 123.0 << 180.0 << QByteArray("T123180llll");
    QTest::newRow("rounded") << 7.5 << 0.4 << QByteArray("T008000llll");
    QTest::newRow("rounds to 360 is 0") << 359.6 << 45.0 << QByteArray("T000045llll");
}

void TestHeadsimModel::positionReply()
{
    QFETCH(double, pan);
    QFETCH(double, tilt);
    QFETCH(QByteArray, reply);
    QCOMPARE(HeadModel::positionReply({pan, tilt}), reply);
}

QTEST_GUILESS_MAIN(TestHeadsimModel)
#include "tst_headsim_model.moc"
