// Driving the real console with a joystick or gamepad: SDL's virtual devices, attached inside
// the test, read by the console through SDL as any device is, against a real pseudo-terminal.
#include "diskfaults.h"
#include "journalsupport.h"
#include "support.h"
#include "virtualstick.h"

#include "app/mainform.h"
#include "control/controltexts.h"
#include "control/cruisecontrol.h"
#include "control/jogcontrol.h"
#include "control/joysticksettings.h"
#include "control/stickcontrol.h"
#include "control/ticker.h"
#include "files/filetexts.h"
#include "journal/journaltexts.h"
#include "link/logtext.h"
#include "link/sendcause.h"
#include "presets/presetcontroller.h"
#include "ui/holdbutton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

// The console on COM7 with searchlight 01 and both speeds at 63 (巡航三, chosen at start-up),
// started with the joystick settings file given, if any.
ConsoleOptions withStick(bool open = true, const QByteArray &settings = {})
{
    ConsoleOptions options = ConsoleOptions().com(7).searchlight("01");
    if (open)
        options.serialOpen();
    if (!settings.isNull())
        options.file(QStringLiteral("joystick.ini"), settings);
    return options;
}

} // namespace

class JoystickTest : public QObject
{
    Q_OBJECT
private slots:
    void deflectionToFrames_data();
    void deflectionToFrames();
    void deadMan_data();
    void deadMan();
    void heldDirectionsHaveTheTick_data();
    void heldDirectionsHaveTheTick();
    void stopLetsGoOfEverything_data();
    void stopLetsGoOfEverything();
    void mappedButtons_data();
    void mappedButtons();
    void pressesWhileAMessageIsUp();
    void firstDeviceDrivesUnlessChosen_data();
    void firstDeviceDrivesUnlessChosen();
    void settingsFile();
    void defaultsOnAFullDisk();
    void deadZoneHasAFloor();
    void scanRestsOnlyWithoutADevice();
    void stickJogIsTwoJournalEntries();
};

void JoystickTest::deflectionToFrames_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("tiltTop");
    QTest::addColumn<QByteArray>("frame"); // empty: none at all
    const QByteArray none;
    // Beyond the 15% dead zone: 1 + (top - 1) * (deflection - 0.15) / 0.85, rounded.
    QTest::newRow("full right") << none << 1.0 << 0.0 << "63" << wire::kRight;
    QTest::newRow("half right") << none << 0.5 << 0.0 << "63" << hex("FF 01 00 02 1B 00 1E");
    QTest::newRow("half down, top 20") << none << 0.0 << 0.5 << "20" << hex("FF 01 00 10 00 09 1A");
    QTest::newRow("just outside") << none << 0.155 << 0.0 << "63" << hex("FF 01 00 02 01 00 04");
    QTest::newRow("down-left") << none << -0.6 << 0.6 << "63" << hex("FF 01 00 14 22 22 59");
    // A bearing between the eight.
    QTest::newRow("steep up-right") << none << 0.9 << -0.3 << "63" << hex("FF 01 00 0A 38 0C 4F");
    QTest::newRow("in the zone") << none << 0.14 << -0.14 << "63" << QByteArray();
    // A 30% zone, the pan inverted, squared: 0.65 is half-way out, 1 + 62 / 4 = 16.5, so 17.
    const QByteArray shaped("dead_zone = 30\ninvert_pan = yes\ncurve = squared\n");
    QTest::newRow("shaped, inverted")
        << shaped << 0.65 << 0.0 << "63" << hex("FF 01 00 04 11 00 16");
    QTest::newRow("shaped, tilt as it is") << shaped << 0.0 << -1.0 << "63" << wire::kUp;
}

void JoystickTest::deflectionToFrames()
{
    QFETCH(QByteArray, settings);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, tiltTop);
    QFETCH(QByteArray, frame);
    Console c(withStick(true, settings));
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    c.get<QComboBox>("垂直速度")->setEditText(tiltTop);
    pad.setStick(x, y);
    if (frame.isEmpty())
        QVERIFY(c.silentAfter(0));
    else
        QVERIFY(c.allAre(frame, 5));
    QVERIFY(c.prompts.messages.isEmpty());
}

void JoystickTest::deadMan_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("stops");
    QTest::newRow("centred") << "centre" << true;
    QTest::newRow("unplugged") << "unplug" << true;
    QTest::newRow("link closed") << "link" << true;
    QTest::newRow("cruise") << "cruise" << true;
    QTest::newRow("minimized") << "minimize" << true;
    // An operator watching a video window drives with the stick.
    QTest::newRow("behind a video window") << "video" << false;
}

void JoystickTest::deadMan()
{
    QFETCH(QString, cause);
    QFETCH(bool, stops);
    Console c(withStick());
    auto pad = std::make_unique<VirtualStick>();
    const QString name = pad->name();
    QVERIFY(c.stickAttached());
    pad->setStick(1, 0);
    QVERIFY(c.allAre(wire::kRight));
    QStringList shown;
    connect(c.get<QLineEdit>("TxtStatus"), &QLineEdit::textChanged, this,
            [&](const QString &text) { shown << text; });

    QWidget video;
    if (cause == "centre")
        pad->centre();
    else if (cause == "unplug")
        pad.reset();
    else if (cause == "link")
        c.click("连接And断开连接");
    else if (cause == "cruise")
        c.click("中");
    else if (cause == "minimize")
        c.form->showMinimized();
    else {
        video.show();
        video.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&video));
    }
    // From the next tick on, not one frame more.
    QSignalSpy logged(&c.logText(), &LogText::changed);
    if (!stops) {
        // Frame after frame; a loaded machine may take longer than five ticks to show five.
        QTRY_VERIFY_WITH_TIMEOUT(logged.count() >= 5, 2000);
        return;
    }
    QTest::qWait(80);
    QCOMPARE(logged.count(), 0);

    if (cause == "unplug") {
        // Plugged in again held over.
        pad = std::make_unique<VirtualStick>();
        pad->setStick(1, 0);
        QVERIFY(c.stickAttached());
        QCOMPARE(shown, QStringList({controltexts::stickDetached(name),
                                     controltexts::stickAttached(name)}));
    } else if (cause == "link") {
        QVERIFY(c.openSerial());
    } else if (cause == "cruise") {
        // The pad rests too; the mapped buttons still work, the cruise's own included.
        pad->setPad(0, 1);
        QVERIFY(c.silentAfter());
        pad->setButton(1, true);
        QCOMPARE(c.pty.read(21), wire::threeOf(wire::kLampOn));
        pad->setPad(0, 0);
        pad->setButton(4, true);
        QCOMPARE(c.pty.read(21), wire::threeOf(wire::kCruiseStop));
        QVERIFY(!c.cruise().cruising());
    } else if (cause == "minimize") {
        pad->setButton(1, true);
        QVERIFY(c.silentAfter());
        c.form->showNormal();
    }
    // Over all the while, the stick drives again only once it has been back at the centre.
    if (cause != "centre")
        QVERIFY(c.silentAfter());
    pad->centre();
    QTest::qWait(30);
    pad->setStick(1, 0);
    QVERIFY(c.allAre(wire::kRight));
}

void JoystickTest::heldDirectionsHaveTheTick_data()
{
    QTest::addColumn<bool>("gamepad");
    QTest::newRow("gamepad") << true;
    QTest::newRow("joystick with a hat") << false;
}

void JoystickTest::heldDirectionsHaveTheTick()
{
    QFETCH(bool, gamepad);
    Console c(withStick());
    VirtualStick pad(gamepad ? VirtualStick::Kind::Gamepad : VirtualStick::Kind::Joystick);
    QVERIFY(c.stickAttached());
    // A direction held by a button, a key or the pad goes out alone, at the speed boxes' values;
    // the stick, never let go meanwhile, goes on at once after each.
    pad.setStick(1, 0);
    QVERIFY(c.allAre(wire::kRight));
    auto *up = c.get<QPushButton>("上");
    const std::array<std::pair<std::function<void(bool)>, QByteArray>, 3> hands = {{
        {[&](bool down) {
             down ? QTest::mousePress(up, Qt::LeftButton) : QTest::mouseRelease(up, Qt::LeftButton);
         },
         wire::kUp},
        {[&](bool down) {
             down ? QTest::keyPress(c.form->windowHandle(), Qt::Key_Up)
                  : QTest::keyRelease(c.form->windowHandle(), Qt::Key_Up);
         },
         wire::kUp},
        {[&](bool down) { pad.setPad(down ? -1 : 0, down ? 1 : 0); }, wire::kUpLeft},
    }};
    for (const auto &[hold, frame] : hands) {
        hold(true);
        c.pty.drain(30);
        QVERIFY(c.allAre(frame, 5));
        hold(false);
        c.pty.drain(30);
        QVERIFY(c.allAre(wire::kRight));
    }
}

void JoystickTest::stopLetsGoOfEverything_data()
{
    QTest::addColumn<QString>("hand");
    QTest::addColumn<bool>("keypad"); // 停止运动 from keypad 5, else from its button
    QTest::newRow("key, 停止运动") << "key" << false;
    QTest::newRow("button the mouse holds, keypad 5") << "button" << true;
    QTest::newRow("stick, 停止运动") << "stick" << false;
    QTest::newRow("pad, keypad 5") << "pad" << true;
}

void JoystickTest::stopLetsGoOfEverything()
{
    QFETCH(QString, hand);
    QFETCH(bool, keypad);
    Console c(withStick());
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    auto *up = c.get<HoldButton>("上");
    QWindow *window = c.form->windowHandle();
    const auto hold = [&](bool down) {
        if (hand == "key")
            down ? QTest::keyPress(window, Qt::Key_Up) : QTest::keyRelease(window, Qt::Key_Up);
        else if (hand == "button")
            down ? QTest::mousePress(up, Qt::LeftButton) : QTest::mouseRelease(up, Qt::LeftButton);
        else if (hand == "stick")
            down ? pad.setStick(0, -1) : pad.centre();
        else
            pad.setPad(0, down ? 1 : 0);
    };
    hold(true);
    QVERIFY(c.allAre(wire::kUp));
    if (keypad)
        QTest::keyClick(window, Qt::Key_5, Qt::KeypadModifier);
    else
        c.click("停止运动");
    QByteArray sent;
    QTRY_VERIFY_WITH_TIMEOUT((sent += c.pty.drain(10)).contains("Rssssssssss"), 5000);
    // Still held, it stays stopped until held anew; a mouse sliding over its button included.
    if (hand == "button")
        QTest::mouseMove(up, up->rect().center() + QPoint(2, 2));
    QVERIFY(c.silentAfter());
    QVERIFY(!up->isDown());
    hold(false);
    // Seen let go by the scan's look at the device, then held anew.
    QSignalSpy tick(c.jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器")), &Ticker::tick);
    QVERIFY(tick.wait(5000));
    hold(true);
    QVERIFY(c.allAre(wire::kUp));
}

void JoystickTest::mappedButtons_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("device");
    const QByteArray none;
    QTest::newRow("1 lamp on") << none << 1 << wire::threeOf(wire::kLampOn) << "01";
    QTest::newRow("2 lamp off") << none << 2 << wire::threeOf(wire::kLampOff) << "01";
    QTest::newRow("3 stop") << none << 3 << QByteArray("Rssssssssss") << "01";
    QTest::newRow("4 cruise") << none << 4 << wire::threeOf(wire::kCruiseThree) << "01";
    QTest::newRow("11 next device") << none << 11 << QByteArray() << "02";
    QTest::newRow("10 previous device") << none << 10 << QByteArray() << "00";
    QTest::newRow("5 recalls preset 3") << QByteArray("button_5 = preset-3\n") << 5
                                        << wire::threeOf(wire::kRecallPresetThree) << "01";
    QTest::newRow("1 as none") << QByteArray("button_1 = none\n") << 1 << QByteArray() << "01";
}

void JoystickTest::mappedButtons()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, button);
    QFETCH(QByteArray, sent);
    QFETCH(QString, device);
    Console c(withStick(true, settings));
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    pad.setButton(button, true);
    const QByteArray got = sent.isEmpty() ? c.pty.drain(80) : c.pty.read(int(sent.size()));
    QCOMPARE(got.toHex(' '), sent.toHex(' '));
    QCOMPARE(c.get<QComboBox>("探照灯")->currentText(), device);
    // Held down, a button does its action once; the preset dialog never opened.
    QVERIFY(c.silentAfter());
    QVERIFY(!c.presets().dialog());
    QVERIFY(c.prompts.messages.isEmpty());
}

void JoystickTest::pressesWhileAMessageIsUp()
{
    Console c(withStick(false));
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    // While the message is up the operator lets go and presses again, and SDL reads both, as it
    // reads a real device's queued events: that press asks nothing once the message is answered.
    c.prompts.onMessage = [&](const QString &) {
        pad.setButton(4, false);
        VirtualStick::update();
        pad.setButton(4, true);
        VirtualStick::update();
        QTest::qWait(50);
    };
    pad.setButton(4, true);
    QTRY_COMPARE(c.prompts.messages, QStringList{controltexts::kConnectFirst});
    QTest::qWait(80);
    QCOMPARE(c.prompts.messages.size(), 1);
    QVERIFY(!c.cruise().cruising());
}

void JoystickTest::firstDeviceDrivesUnlessChosen_data()
{
    QTest::addColumn<QByteArray>("choice");
    QTest::addColumn<int>("driver");
    QTest::newRow("first by default") << QByteArray() << 0;
    QTest::newRow("by place") << QByteArray("1") << 1;
    QTest::newRow("by part of the name") << QByteArray("SECOND") << 1;
    QTest::newRow("none") << QByteArray("none") << -1;
}

void JoystickTest::firstDeviceDrivesUnlessChosen()
{
    QFETCH(QByteArray, choice);
    QFETCH(int, driver);
    qputenv("CORVANE_JOYSTICK", choice);
    const auto unset = qScopeGuard([] { qunsetenv("CORVANE_JOYSTICK"); });
    VirtualStick first(VirtualStick::Kind::Gamepad, QStringLiteral("First pad"));
    VirtualStick second(VirtualStick::Kind::Joystick, QStringLiteral("Second stick"));
    Console c(withStick());
    VirtualStick &drives = driver == 1 ? second : first;
    VirtualStick &other = driver == 1 ? first : second;
    QTest::qWait(50);
    other.setStick(1, 0);
    QVERIFY(c.silentAfter());
    QCOMPARE(c.stick().attached(), driver >= 0);
    drives.setStick(0, -1);
    QCOMPARE(c.allAre(wire::kUp), driver >= 0);
    // Without a choice, the next one takes over from one pulled out, from the centre.
    drives.unplug();
    QTest::qWait(50);
    other.centre();
    QTest::qWait(30);
    other.setStick(1, 0);
    QCOMPARE(c.allAre(wire::kRight), choice.isEmpty());
}

void JoystickTest::settingsFile()
{
    // A console that never saw a device writes nothing; the first device brings the defaults.
    {
        Console c(withStick());
        QVERIFY(!QFile::exists(c.file("joystick.ini")));
        VirtualStick pad;
        QVERIFY(c.stickAttached());
        const QByteArray written = fileBytes(c.file("joystick.ini"));
        for (const char *line : {"\ndead_zone = 15\n", "\ninvert_pan = no\n", "\ncurve = linear\n",
                                 "\nbutton_1 = lamp-on\n", "\nbutton_3 = stop\n",
                                 "\nbutton_4 = cruise\n", "\nbutton_11 = next-device\n"})
            QVERIFY2(written.contains(line), line);
        QVERIFY(joysticksettings::parse(written).badLines.isEmpty());
        QVERIFY(joysticksettings::parse(written).settings == c.stick().settings());
    }
    // A button taken off its default is written so that it reads back that way.
    joysticksettings::Settings changed;
    changed.buttons.remove(1);
    QVERIFY(joysticksettings::parse(joysticksettings::format(changed)).settings == changed);

    // A broken file: its good lines count, the rest keep their defaults, one message, and the
    // file stays as the operator left it.
    const QByteArray broken = "# mine\ndead_zone = lots\ninvert_tilt = YES\r\nbutton_40 = lamp-on\n"
                              "curve squared\nbutton_2 = fly\n\nbutton_3 = lamp-on\n";
    Console c(withStick(false, broken));
    QTRY_COMPARE(c.prompts.messages, QStringList{controltexts::stickFileBadLines(
                                         c.file("joystick.ini"), "2、4、5、6")});
    QVERIFY(c.openSerial());
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    pad.setStick(0, -0.14);
    QVERIFY(c.silentAfter(0));
    pad.setStick(0, -1);
    QVERIFY(c.allAre(wire::kDown));
    pad.centre();
    pad.setButton(3, true);
    c.pty.drain(30);
    pad.setButton(2, true);
    QCOMPARE(c.pty.read(21), wire::threeOf(wire::kLampOff));
    QCOMPARE(fileBytes(c.file("joystick.ini")), broken);
    QVERIFY(c.prompts.messages.isEmpty());
}

void JoystickTest::defaultsOnAFullDisk()
{
    // No file at all rather than a cut one, which would be read as the operator's settings.
    if (::geteuid() != 0)
        QSKIP("a disk of its own needs root");
    QTemporaryDir folder;
    SmallDisk disk(folder.path());
    QVERIFY(disk.ok() && disk.fill(0));
    const QString path = folder.path() + u'/' + joysticksettings::kFileName;
    const files::Saved saved = joysticksettings::writeDefaultsIfMissing(path);
    QVERIFY(!saved.ok);
    QCOMPARE(files::reasonText(saved.error), filetexts::kReasonDiskFull);
    QVERIFY(!QFile::exists(path));
}

void JoystickTest::deadZoneHasAFloor()
{
    // A zone under 5% is named, and 5% holds: a resting stick's drift does not drive the head.
    Console c(withStick(false, "# drift\ndead_zone = 0\n"));
    QTRY_COMPARE(c.prompts.messages,
                 QStringList{controltexts::stickFileBadLines(c.file("joystick.ini"), "2", 5)});
    QVERIFY(c.openSerial());
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    pad.setStick(0.006, -0.006);
    QVERIFY(c.silentAfter());
    pad.setStick(0.055, 0);
    QVERIFY(c.allAre(hex("FF 01 00 02 01 00 04")));
}

void JoystickTest::scanRestsOnlyWithoutADevice()
{
    Console c(withStick());
    auto *scan = c.jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器"));
    auto *hotPlug = c.stick().findChild<QTimer *>(QStringLiteral("摇杆检测"));
    QVERIFY(scan && hotPlug);
    QTRY_VERIFY(scan->resting());
    QVERIFY(hotPlug->isActive() && hotPlug->interval() == 1000);
    {
        // Found by the once-a-second look, then read on every tick, centred or not.
        VirtualStick pad;
        QVERIFY(c.stickAttached());
        QVERIFY(!hotPlug->isActive());
        QSignalSpy ticks(scan, &Ticker::tick);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 10, 20000);
    }
    QTRY_VERIFY(scan->resting());
    QVERIFY(hotPlug->isActive());
}

void JoystickTest::stickJogIsTwoJournalEntries()
{
    // However the stick leans meanwhile, its drive is one jog in the journal: an entry when its
    // first frame goes out and one when it is centred, with the count, none per frame.
    using namespace journaltexts;
    Console c(withStick());
    VirtualStick pad;
    QVERIFY(c.stickAttached());
    for (const double x : {0.4, 0.7, 1.0, -0.5}) {
        pad.setStick(x, 0.3);
        QTest::qWait(80);
    }
    pad.setStick(0.0, 0.0);
    const FrameStream sent = framesIn(c.pty.drain(100));
    const JournalDay day = waitForJournal(
        c.dir.path(), [](const JournalDay &d) { return !d.withEvent(kJogEnd).isEmpty(); });
    const QList<journal::Entry> jog = day.ofKind(journal::Kind::Jog);
    QCOMPARE(jog.size(), 2);
    QCOMPARE(jog[0].event, kJogStart);
    QCOMPARE(jog[0].cause, sendcause::kStick);
    QVERIFY2(jog[0].detail.startsWith(QStringLiteral("摇杆，")), qPrintable(jog[0].detail));
    QCOMPARE(jog[1].event, kJogEnd);
    QVERIFY(sent.frames.size() >= 20);
    QVERIFY2(jog[1].detail.contains(QStringLiteral("共 %1 帧").arg(sent.frames.size())),
             qPrintable(jog[1].detail));
    QVERIFY(day.withEvent(kJogFrame).isEmpty());
}

QTEST_MAIN(JoystickTest)
#include "tst_joystick.moc"
