// Driving the real console with a joystick or gamepad: SDL's virtual devices, attached inside
// the test, read by the console through SDL as any device is, against a real pseudo-terminal.
#include "support.h"
#include "virtualstick.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/controltexts.h"
#include "control/cruisecontrol.h"
#include "control/jogcontrol.h"
#include "control/joysticksettings.h"
#include "control/stickcontrol.h"
#include "control/ticker.h"
#include "link/logtext.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kUp = hex("FF 01 00 08 00 3F 48");
const QByteArray kRight = hex("FF 01 00 02 3F 00 42");

// The console on COM7 with searchlight 01 and both speeds at 63 (巡航三, chosen at start-up),
// started with the joystick settings file given, if any.
struct StickConsole : Console
{
    explicit StickConsole(bool open = true, const QByteArray &settings = {}) : Console(7, false)
    {
        if (!settings.isNull())
            writeFile(settingsPath(), settings);
        start();
        get<QComboBox>("探照灯")->setEditText(QStringLiteral("01"));
        if (open)
            openSerial();
    }
    QString settingsPath() const { return dir.path() + QStringLiteral("/joystick.ini"); }
    bool attached()
    {
        return QTest::qWaitFor([this] { return form->stick().attached(); }, 3000);
    }
    // The good frames that arrive within the window.
    QList<QByteArray> framesWithin(int ms)
    {
        FrameStream stream({}, true);
        stream.feed(pty.drain(ms));
        return stream.frames;
    }
    // At least n frames, waiting for them.
    QList<QByteArray> frames(int n)
    {
        FrameStream stream({}, true);
        stream.feed(pty.read(7 * n));
        return stream.frames;
    }
    // Lets whatever is on its way arrive, then says whether anything more comes.
    bool silentAfter(int settleMs = 40)
    {
        pty.drain(settleMs);
        return pty.drain(60).isEmpty();
    }
};

bool allAre(const QList<QByteArray> &frames, const QByteArray &frame)
{
    return !frames.isEmpty() && std::all_of(frames.begin(), frames.end(),
                                            [&](const QByteArray &f) { return f == frame; });
}

QString hexOf(const QList<QByteArray> &frames)
{
    QStringList out;
    for (const QByteArray &f : frames)
        out << QString::fromLatin1(f.toHex(' '));
    return out.join(QStringLiteral(" | "));
}

} // namespace

class JoystickTest : public QObject
{
    Q_OBJECT
private slots:
    void deflectionToFrames_data();
    void deflectionToFrames();
    void shapeFromTheSettingsFile();
    void centringStopsAtTheNextTick();
    void unpluggedMidJog();
    void noLinkNeedsTheCentreFirst();
    void buttonsAndKeysHaveTheTickToThemselves();
    void directionPad_data();
    void directionPad();
    void mappedButtons_data();
    void mappedButtons();
    void cruiseLeavesOnlyTheButtons();
    void cruiseButtonWithoutALink();
    void drivesBehindAnotherWindowNotMinimized();
    void firstDeviceDrivesUnlessChosen_data();
    void firstDeviceDrivesUnlessChosen();
    void defaultsWrittenOnFirstUse();
    void brokenSettingsFile();
    void scanRestsOnlyWithoutADevice();
};

void JoystickTest::deflectionToFrames_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QByteArray>("frame");
    // Speeds beyond the 15% dead zone: 1 + (top - 1) * (deflection - 0.15) / 0.85, rounded.
    QTest::newRow("full right") << 1.0 << 0.0 << "63"
                                << "63" << kRight;
    QTest::newRow("half right") << 0.5 << 0.0 << "63"
                                << "63" << hex("FF 01 00 02 1B 00 1E");
    QTest::newRow("full left, top 20") << -1.0 << 0.0 << "20"
                                       << "63" << hex("FF 01 00 04 14 00 19");
    QTest::newRow("full up") << 0.0 << -1.0 << "63"
                             << "63" << kUp;
    QTest::newRow("half down, top 20") << 0.0 << 0.5 << "63"
                                       << "20" << hex("FF 01 00 10 00 09 1A");
    QTest::newRow("just outside the zone") << 0.155 << 0.0 << "63"
                                           << "63" << hex("FF 01 00 02 01 00 04");
    QTest::newRow("down-left") << -0.6 << 0.6 << "63"
                               << "63" << hex("FF 01 00 14 22 22 59");
    // A bearing between the eight: more pan than tilt.
    QTest::newRow("up-right, steep pan") << 0.9 << -0.3 << "63"
                                         << "63" << hex("FF 01 00 0A 38 0C 4F");
    // Inside the dead zone on one axis: that axis stays still.
    QTest::newRow("right, tilt in the zone") << 0.9 << 0.1 << "63"
                                             << "63" << hex("FF 01 00 02 38 00 3B");
    QTest::newRow("in the dead zone") << 0.14 << -0.14 << "63"
                                      << "63" << QByteArray();
}

void JoystickTest::deflectionToFrames()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QByteArray, frame);
    StickConsole c;
    VirtualStick pad;
    QVERIFY(pad.isValid());
    QVERIFY(c.attached());
    c.get<QComboBox>("水平速度")->setEditText(pan);
    c.get<QComboBox>("垂直速度")->setEditText(tilt);
    pad.setStick(x, y);
    if (frame.isEmpty()) {
        QVERIFY(c.silentAfter(0));
        QVERIFY(c.log().isEmpty());
        return;
    }
    const QList<QByteArray> frames = c.frames(5);
    QVERIFY2(allAre(frames, frame), qPrintable(hexOf(frames)));
}

void JoystickTest::shapeFromTheSettingsFile()
{
    // A wider zone, the pan inverted and the squared curve: 0.65 is half-way beyond a 30% zone,
    // a quarter of the speed squared: 1 + 62 * 0.25 = 16.5, so 17.
    StickConsole c(true, "dead_zone = 30\ninvert_pan = yes\ncurve = squared\n");
    QVERIFY(c.prompts.messages.isEmpty());
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setStick(0.25, 0.25);
    QVERIFY(c.silentAfter(0));
    pad.setStick(0.65, 0);
    QList<QByteArray> frames = c.frames(3);
    QVERIFY2(allAre(frames, hex("FF 01 00 04 11 00 16")), qPrintable(hexOf(frames)));
    pad.setStick(-1, 0);
    c.pty.drain(30);
    frames = c.frames(3);
    QVERIFY2(allAre(frames, kRight), qPrintable(hexOf(frames)));
    // The tilt is not inverted: the device's up is the head's up.
    pad.setStick(0, -1);
    c.pty.drain(30);
    frames = c.frames(3);
    QVERIFY2(allAre(frames, kUp), qPrintable(hexOf(frames)));
}

void JoystickTest::centringStopsAtTheNextTick()
{
    StickConsole c;
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
    QSignalSpy logged(&c.form->log(), &LogText::changed);
    // The next tick reads the centre: no frame is built after it.
    pad.setStick(0.1, 0);
    QTest::qWait(80);
    QCOMPARE(logged.count(), 0);
    // Deflected again, it drives again at once.
    pad.setStick(0, -1);
    QVERIFY(allAre(c.frames(3).mid(1), kUp));
}

void JoystickTest::unpluggedMidJog()
{
    StickConsole c;
    auto pad = std::make_unique<VirtualStick>();
    QVERIFY(c.attached());
    QCOMPARE(c.status(), controltexts::stickAttached(pad->name()));
    pad->setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));

    QStringList shown;
    connect(c.get<QLineEdit>("TxtStatus"), &QLineEdit::textChanged, this,
            [&](const QString &text) { shown << text; });
    QSignalSpy logged(&c.form->log(), &LogText::changed);
    const QString name = pad->name();
    pad->unplug();
    QTest::qWait(100);
    QCOMPARE(logged.count(), 0);
    QCOMPARE(shown, QStringList{controltexts::stickDetached(name)});
    QVERIFY(!c.form->stick().attached());
    pad.reset();
    QTest::qWait(50);
    QCOMPARE(shown.size(), 1);

    // Plugged in again held over, it does not drive until it has been centred.
    VirtualStick again;
    again.setStick(1, 0);
    QVERIFY(c.attached());
    QVERIFY(c.silentAfter());
    again.centre();
    QTest::qWait(30);
    again.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
}

void JoystickTest::noLinkNeedsTheCentreFirst()
{
    StickConsole c(false);
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setStick(1, 0);
    QTest::qWait(60);
    QVERIFY(c.log().isEmpty());
    QVERIFY(c.silentAfter(0));

    // The link opens with the stick still over: nothing until it has been back at the centre.
    QVERIFY(c.openSerial());
    QVERIFY(c.silentAfter());
    pad.centre();
    QTest::qWait(30);
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
}

void JoystickTest::buttonsAndKeysHaveTheTickToThemselves()
{
    StickConsole c;
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(2), kRight));
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::LeftButton);
    c.pty.drain(30);
    QList<QByteArray> frames = c.frames(5);
    QVERIFY2(allAre(frames, kUp), qPrintable(hexOf(frames)));
    QTest::mouseRelease(up, Qt::LeftButton);
    // The stick was never let go: it goes on at once.
    c.pty.drain(30);
    frames = c.frames(3);
    QVERIFY2(allAre(frames, kRight), qPrintable(hexOf(frames)));

    QTest::keyPress(c.form->windowHandle(), Qt::Key_Up);
    c.pty.drain(30);
    frames = c.frames(5);
    QVERIFY2(allAre(frames, kUp), qPrintable(hexOf(frames)));
    QTest::keyRelease(c.form->windowHandle(), Qt::Key_Up);
}

void JoystickTest::directionPad_data()
{
    QTest::addColumn<bool>("gamepad");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("up");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("gamepad up") << true << 0 << 1 << kUp;
    QTest::newRow("gamepad down-left") << true << -1 << -1 << hex("FF 01 00 14 3F 3F 93");
    QTest::newRow("hat right") << false << 1 << 0 << kRight;
    QTest::newRow("hat up-right") << false << 1 << 1 << hex("FF 01 00 0A 3F 3F 89");
}

void JoystickTest::directionPad()
{
    QFETCH(bool, gamepad);
    QFETCH(int, right);
    QFETCH(int, up);
    QFETCH(QByteArray, frame);
    StickConsole c;
    VirtualStick pad(gamepad ? VirtualStick::Kind::Gamepad : VirtualStick::Kind::Joystick,
                     QStringLiteral("Corvane test device"));
    QVERIFY(c.attached());
    pad.setPad(right, up);
    QTRY_VERIFY(std::any_of(c.form->jog().JogHeld.begin(), c.form->jog().JogHeld.end(),
                            [](bool held) { return held; }));
    const QList<QByteArray> frames = c.frames(5);
    QVERIFY2(allAre(frames, frame), qPrintable(hexOf(frames)));
    pad.setPad(0, 0);
    QTRY_VERIFY(std::none_of(c.form->jog().JogHeld.begin(), c.form->jog().JogHeld.end(),
                             [](bool held) { return held; }));
    QVERIFY(c.silentAfter());

    // A joystick's first two axes drive as a gamepad's left stick does.
    pad.setStick(0, -1);
    QVERIFY(allAre(c.frames(3), kUp));
}

void JoystickTest::mappedButtons_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("device");
    const QByteArray none;
    QTest::newRow("1 lamp on") << none << 1 << hex("FF 01 02 00 00 00 03").repeated(3) << "01";
    QTest::newRow("2 lamp off") << none << 2 << hex("FF 01 04 00 00 00 05").repeated(3) << "01";
    QTest::newRow("3 stop") << none << 3 << QByteArray("Rssssssssss") << "01";
    QTest::newRow("4 cruise") << none << 4 << hex("FF 01 00 80 3F 3F FF").repeated(3) << "01";
    QTest::newRow("11 next device") << none << 11 << QByteArray() << "02";
    QTest::newRow("10 previous device") << none << 10 << QByteArray() << "00";
    QTest::newRow("5 recalls preset 3") << QByteArray("button_5 = preset-3\n") << 5
                                        << hex("FF 01 33 00 00 00 34").repeated(3) << "01";
    QTest::newRow("1 remapped to none")
        << QByteArray("button_1 = none\n") << 1 << QByteArray() << "01";
}

void JoystickTest::mappedButtons()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, button);
    QFETCH(QByteArray, sent);
    QFETCH(QString, device);
    StickConsole c(true, settings);
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setButton(button, true);
    const QByteArray got = sent.isEmpty() ? c.pty.drain(80) : c.pty.read(int(sent.size()));
    QCOMPARE(got.toHex(' '), sent.toHex(' '));
    QCOMPARE(c.get<QComboBox>("探照灯")->currentText(), device);
    // Held down, a button does its action once.
    QVERIFY(c.silentAfter());
    pad.setButton(button, false);
    QVERIFY(c.silentAfter());
    QVERIFY(c.prompts.messages.isEmpty());
}

void JoystickTest::cruiseLeavesOnlyTheButtons()
{
    StickConsole c;
    VirtualStick pad;
    QVERIFY(c.attached());
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(2), kRight));
    c.click("中");
    QVERIFY(c.form->cruise().cruising());
    // Whatever of the stick's was on its way, then the cruise's burst, and nothing more.
    FrameStream stream({}, true);
    stream.feed(c.pty.drain(100));
    QVERIFY(stream.frames.endsWith(hex("FF 01 00 80 3F 3F FF")));
    pad.setPad(0, 1);
    QVERIFY(c.silentAfter());
    QVERIFY(std::none_of(c.form->jog().JogHeld.begin(), c.form->jog().JogHeld.end(),
                         [](bool held) { return held; }));
    // The mapped buttons still work.
    pad.setButton(1, true);
    QCOMPARE(c.pty.read(21), hex("FF 01 02 00 00 00 03").repeated(3));
    pad.setButton(1, false);
    pad.setPad(0, 0);

    // Cancelled, the cruise leaves the stick stopped until it is centred.
    pad.setButton(4, true);
    QCOMPARE(c.pty.read(21), hex("FF 01 01 00 00 00 02").repeated(3));
    QVERIFY(!c.form->cruise().cruising());
    QVERIFY(c.silentAfter());
    pad.centre();
    QTest::qWait(30);
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
}

void JoystickTest::cruiseButtonWithoutALink()
{
    StickConsole c(false);
    VirtualStick pad;
    QVERIFY(c.attached());
    // While the message is up the operator lets go and presses again: that press was for no
    // one, and asks nothing once the message is answered.
    c.prompts.onMessage = [&](const QString &) {
        pad.setButton(4, false);
        VirtualStick::update();
        pad.setButton(4, true);
        VirtualStick::update();
        QTest::qWait(50);
    };
    pad.setButton(4, true);
    QTRY_COMPARE(c.prompts.messages, QStringList{controltexts::kConnectFirst});
    QVERIFY(!c.form->cruise().cruising());
    QTest::qWait(80);
    pad.setButton(4, false);
    QTest::qWait(50);
    QCOMPARE(c.prompts.messages.size(), 1);
}

void JoystickTest::drivesBehindAnotherWindowNotMinimized()
{
    StickConsole c;
    VirtualStick pad;
    QVERIFY(c.attached());
    // A video window in front: the stick drives the head all the same.
    QWidget video;
    video.show();
    video.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&video));
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(5), kRight));

    // Minimized, the console is driven by nothing: a bumped stick moves no head unseen.
    c.form->showMinimized();
    QTRY_VERIFY(c.form->isMinimized());
    QVERIFY(c.silentAfter());
    pad.setButton(1, true);
    QVERIFY(c.silentAfter());
    pad.setButton(1, false);
    // Back on the screen, the stick must be centred first.
    c.form->showNormal();
    QTRY_VERIFY(!c.form->isMinimized());
    QVERIFY(c.silentAfter());
    pad.centre();
    QTest::qWait(30);
    pad.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
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
    StickConsole c;
    if (driver < 0) {
        QTest::qWait(100);
        QVERIFY(!c.form->stick().attached());
        first.setStick(1, 0);
        QVERIFY(c.silentAfter());
        return;
    }
    QVERIFY(c.attached());
    VirtualStick &drives = driver == 0 ? first : second;
    VirtualStick &other = driver == 0 ? second : first;
    other.setStick(1, 0);
    QVERIFY(c.silentAfter());
    other.centre();
    drives.setStick(0, -1);
    QVERIFY(allAre(c.frames(3), kUp));
    drives.centre();

    drives.unplug();
    other.setStick(1, 0);
    if (!choice.isEmpty()) {
        QTRY_COMPARE(c.status(), controltexts::stickDetached(drives.name()));
        // The device asked for is gone; the other was not asked for.
        QVERIFY(c.silentAfter());
        QVERIFY(!c.form->stick().attached());
        return;
    }
    // The first one is gone: the next takes over, from the centre.
    QTRY_COMPARE(c.status(), controltexts::stickAttached(other.name()));
    QVERIFY(c.silentAfter());
    other.centre();
    QTest::qWait(30);
    other.setStick(1, 0);
    QVERIFY(allAre(c.frames(3), kRight));
}

void JoystickTest::defaultsWrittenOnFirstUse()
{
    StickConsole c;
    QTest::qWait(50);
    // A console that never saw a device writes nothing.
    QVERIFY(!QFile::exists(c.settingsPath()));
    VirtualStick pad;
    QVERIFY(c.attached());
    const QByteArray written = fileBytes(c.settingsPath());
    for (const char *line :
         {"\ndead_zone = 15\n", "\ninvert_pan = no\n", "\ninvert_tilt = no\n", "\ncurve = linear\n",
          "\nbutton_1 = lamp-on\n", "\nbutton_2 = lamp-off\n", "\nbutton_3 = stop\n",
          "\nbutton_4 = cruise\n", "\nbutton_10 = previous-device\n",
          "\nbutton_11 = next-device\n"})
        QVERIFY2(written.contains(line), line);
    QVERIFY(written.startsWith("# "));
    // What is written reads back whole, and is what a console without the file goes by.
    const joysticksettings::Read read = joysticksettings::parse(written);
    QCOMPARE(read.badLines, QList<int>());
    QVERIFY(read.settings == c.form->stick().settings());

    // An operator's own file is never written over.
    pad.unplug();
    QTRY_VERIFY(!c.form->stick().attached());
    QVERIFY(writeFile(c.settingsPath(), "dead_zone = 20\n"));
    VirtualStick again;
    QVERIFY(c.attached());
    QCOMPARE(fileBytes(c.settingsPath()), QByteArray("dead_zone = 20\n"));
}

void JoystickTest::brokenSettingsFile()
{
    const QByteArray broken = "# mine\n"
                              "dead_zone = lots\n"
                              "invert_tilt = yes\n"
                              "button_40 = lamp-on\n"
                              "curve squared\n"
                              "button_2 = fly\n"
                              "\n"
                              "button_3 = lamp-on\n";
    StickConsole c(false, broken);
    QTRY_COMPARE(c.prompts.messages.size(), 1);
    QCOMPARE(c.prompts.messages.first(),
             controltexts::stickFileBadLines(c.settingsPath(), QStringLiteral("2、4、5、6")));
    QVERIFY(c.openSerial());
    VirtualStick pad;
    QVERIFY(c.attached());
    // The lines that could be read count; the others keep their defaults.
    pad.setStick(0, -0.14);
    QVERIFY(c.silentAfter(0));
    pad.setStick(0, -1);
    QVERIFY(allAre(c.frames(3), hex("FF 01 00 10 00 3F 50")));
    pad.centre();
    QVERIFY(c.silentAfter());
    pad.setButton(3, true);
    QCOMPARE(c.pty.read(21), hex("FF 01 02 00 00 00 03").repeated(3));
    pad.setButton(2, true);
    QCOMPARE(c.pty.read(21), hex("FF 01 04 00 00 00 05").repeated(3));
    // Nothing of the operator's is lost, and nothing more is said.
    QCOMPARE(fileBytes(c.settingsPath()), broken);
    QVERIFY(c.prompts.messages.isEmpty());
}

void JoystickTest::scanRestsOnlyWithoutADevice()
{
    StickConsole c;
    auto *scan = c.form->jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器"));
    auto *hotPlug = c.form->stick().findChild<QTimer *>(QStringLiteral("摇杆检测"));
    QVERIFY(scan && hotPlug);
    QTRY_VERIFY(scan->resting());
    QVERIFY(hotPlug->isActive());
    QCOMPARE(hotPlug->interval(), 1000);
    // Found by the once-a-second look, then read on every tick, centred or not.
    {
        VirtualStick pad;
        QVERIFY(c.attached());
        QVERIFY(!hotPlug->isActive());
        QSignalSpy ticks(scan, &Ticker::tick);
        QTest::qWait(200);
        QVERIFY2(ticks.count() >= 10, qPrintable(QString::number(ticks.count())));
        QVERIFY(!scan->resting());
    }
    QTRY_VERIFY(scan->resting());
    QVERIFY(hotPlug->isActive());
}

QTEST_MAIN(JoystickTest)
#include "tst_joystick.moc"
