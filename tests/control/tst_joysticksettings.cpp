// The joystick settings file read line by line: what each line may say, and that a line the
// console cannot read costs only its own setting.
#include "control/joysticksettings.h"

#include <QTest>

using namespace joysticksettings;

class JoystickSettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void writtenFileReadsBack();
};

void JoystickSettingsTest::lines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("bad");
    QTest::addColumn<int>("deadZone"); // per cent
    QTest::addColumn<bool>("invertPan");
    QTest::addColumn<bool>("squared");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("action"); // of that button; empty for none
    const QList<int> none;
    QTest::newRow("empty file") << QByteArray() << none << 15 << false << false << 1 << "lamp-on";
    QTest::newRow("zone 0") << QByteArray("dead_zone = 0") << none << 0 << false << false << 1
                            << "lamp-on";
    QTest::newRow("zone 90, CR LF")
        << QByteArray("dead_zone=90\r\n") << none << 90 << false << false << 1 << "lamp-on";
    QTest::newRow("zone 91") << QByteArray("dead_zone = 91") << QList<int>{1} << 15 << false
                             << false << 1 << "lamp-on";
    QTest::newRow("zone with a sign")
        << QByteArray("dead_zone = +5") << QList<int>{1} << 15 << false << false << 1 << "lamp-on";
    QTest::newRow("zone with a fraction")
        << QByteArray("dead_zone = 5.5") << QList<int>{1} << 15 << false << false << 1 << "lamp-on";
    QTest::newRow("invert TRUE") << QByteArray("invert_pan = TRUE") << none << 15 << true << false
                                 << 1 << "lamp-on";
    QTest::newRow("invert 1, curve Squared") << QByteArray("invert_pan = 1\ncurve = Squared\n")
                                             << none << 15 << true << true << 1 << "lamp-on";
    QTest::newRow("invert maybe") << QByteArray("invert_pan = maybe") << QList<int>{1} << 15
                                  << false << false << 1 << "lamp-on";
    QTest::newRow("button 32") << QByteArray("button_32 = preset-9") << none << 15 << false << false
                               << 32 << "preset-9";
    QTest::newRow("button 0 and 33") << QByteArray("button_0 = stop\nbutton_33 = stop")
                                     << QList<int>{1, 2} << 15 << false << false << 33 << "";
    QTest::newRow("button to none")
        << QByteArray("button_1 = none") << none << 15 << false << false << 1 << "";
    QTest::newRow("comments and blanks")
        << QByteArray("  # note\n\n#dead_zone = 50\n   \nbutton_12 = next-device\n") << none << 15
        << false << false << 12 << "next-device";
    QTest::newRow("no key, no equals, unknown key")
        << QByteArray("= lamp-on\ncurve linear\nspeed = 3\ncurve = cubic") << QList<int>{1, 2, 3, 4}
        << 15 << false << false << 1 << "lamp-on";
    QTest::newRow("a bad line keeps the good ones")
        << QByteArray("dead_zone = 40\nbutton_5 = jump\ninvert_pan = yes") << QList<int>{2} << 40
        << true << false << 5 << "";
}

void JoystickSettingsTest::lines()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, bad);
    QFETCH(int, deadZone);
    QFETCH(bool, invertPan);
    QFETCH(bool, squared);
    QFETCH(int, button);
    QFETCH(QString, action);
    const Read read = parse(text);
    QCOMPARE(read.badLines, bad);
    QCOMPARE(qRound(read.settings.shape.deadZone * 100), deadZone);
    QCOMPARE(read.settings.shape.invertPan, invertPan);
    QCOMPARE(read.settings.shape.curve == stick::Curve::Squared, squared);
    const auto mapped = read.settings.buttons.constFind(button);
    QCOMPARE(mapped == read.settings.buttons.cend() ? QString() : operatoraction::name(*mapped),
             action);
}

void JoystickSettingsTest::writtenFileReadsBack()
{
    Settings changed;
    changed.shape = {0.3, true, false, stick::Curve::Squared};
    changed.buttons.insert(7, OperatorAction::Preset4);
    changed.buttons.remove(1);
    for (const Settings &settings : {Settings{}, changed}) {
        const Read read = parse(format(settings));
        QCOMPARE(read.badLines, QList<int>());
        QVERIFY(read.settings == settings);
    }
}

QTEST_APPLESS_MAIN(JoystickSettingsTest)
#include "tst_joysticksettings.moc"
