// The jog scan's rules for a joystick without the main window: the jog and the stick on a real
// serial link (a pseudo-terminal), a device made by SDL's virtual joystick driver, and the
// test's own hooks where the window would run the actions.
#include "linesupport.h"
#include "virtualstick.h"

#include "control/consolemodel.h"
#include "control/jogcontrol.h"
#include "control/stickcontrol.h"
#include "control/stickmotion.h"
#include "control/ticker.h"
#include "link/links.h"
#include "link/logtext.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "ui/holdbutton.h"
#include "ui/prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kRight = hex("FF 01 00 02 3F 00 42");
const QString kMessage = QStringLiteral("请先连接设备");

// The jog and the stick of searchlight 01 at speeds 63, over COM4. The jog pad's buttons are
// never shown. Button 1 of the device is lamp-on, as the defaults have it.
struct Rig
{
    ProgramDir dir;
    PtyPair pty;
    Links links{dir.path()};
    LogText log;
    SendPath send{links, log};
    ConsoleModel model;
    QWidget panel;
    QPushButton *stopButton = new QPushButton(&panel);
    std::unique_ptr<JogControl> jog;
    std::unique_ptr<StickControl> stick;
    // What the link wrote and the hooks ran, in order: "frame <cause>" and "act".
    QStringList events;
    std::function<void()> onAct;

    Rig()
    {
        std::array<HoldButton *, 8> buttons{};
        for (HoldButton *&button : buttons)
            button = new HoldButton(QString(), &panel);
        model.setDevice(1);
        model.setPanSpeed(63, QStringLiteral("63"));
        model.setTiltSpeed(63, QStringLiteral("63"));
        jog = std::make_unique<JogControl>(model, send, buttons, stopButton);
        QObject::connect(&send, &SendPath::sent,
                         [this](const protocol::Command &command, const QString &cause) {
                             if (!command.isText())
                                 events << QStringLiteral("frame ") + cause;
                         });
        stick = std::make_unique<StickControl>(
            *jog, QString(), dir.path() + QStringLiteral("/joystick.ini"),
            StickHooks{[] { return !QApplication::activeModalWidget(); }, [] { return false; },
                       [this](OperatorAction) {
                           events << QStringLiteral("act");
                           if (onAct)
                               onAct();
                       },
                       [](const QString &) {}});
    }
    bool open()
    {
        if (!pty.publish(dir.path(), 4) || !links.serial().setPortNumber(4))
            return false;
        if (links.serial().open() != Link::OpenResult::Opened)
            return false;
        links.setOpen(true);
        return true;
    }
    bool attached()
    {
        return QTest::qWaitFor([this] { return stick->attached(); }, 3000);
    }
    // Two more ticks of the scan, each of which reads the device.
    bool ticks(int n = 2)
    {
        QSignalSpy spy(jog->findChild<Ticker *>(QStringLiteral("鼠标发送扫描器")), &Ticker::tick);
        return QTest::qWaitFor([&] { return spy.count() >= n; }, 5000);
    }
    bool allAre(const QByteArray &frame, int n = 3)
    {
        FrameStream stream({}, true);
        stream.feed(pty.read(7 * n));
        return !stream.frames.isEmpty() && stream.frames.count(frame) == stream.frames.size();
    }
    // Lets whatever is on its way arrive, then says whether anything more comes.
    bool silentAfter()
    {
        pty.drain(40);
        return pty.drain(60).isEmpty();
    }
};

} // namespace

class ControlRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void buttonActionsRunAfterTheTick();
    void messageFromAButtonNeedsTheCentre_data();
    void messageFromAButtonNeedsTheCentre();
    void centreIsTheDeadZone_data();
    void centreIsTheDeadZone();
    void deadZoneBounds_data();
    void deadZoneBounds();
};

void ControlRulesTest::buttonActionsRunAfterTheTick()
{
    VirtualStick pad;
    Rig r;
    QVERIFY(r.attached() && r.open());
    QVERIFY(r.ticks());
    // Leaned and pressed at once, read by one tick: its frame goes out before the action runs.
    pad.setStick(1, 0);
    pad.setButton(1, true);
    QTRY_VERIFY_WITH_TIMEOUT(r.events.contains(QStringLiteral("act")), 5000);
    QVERIFY2(r.events.indexOf(QStringLiteral("frame ") + sendcause::kStick) == 0,
             qPrintable(r.events.join(u',')));
    QCOMPARE(r.events.count(QStringLiteral("act")), 1);
}

void ControlRulesTest::messageFromAButtonNeedsTheCentre_data()
{
    QTest::addColumn<bool>("box");
    // The box runs its own event loop, and the scan ticks beneath it until OK.
    QTest::newRow("message box") << true;
    QTest::newRow("answered at once") << false;
}

void ControlRulesTest::messageFromAButtonNeedsTheCentre()
{
    QFETCH(bool, box);
    QStringList answered;
    if (!box)
        prompt::setHook([&](const QString &text) { answered << text; });
    const auto unhook = qScopeGuard([] { prompt::setHook({}); });
    VirtualStick pad;
    Rig r;
    QVERIFY(r.attached() && r.open());
    QVERIFY(r.ticks());
    pad.setStick(1, 0);
    QVERIFY(r.allAre(kRight));

    int ticksUnderBox = 0;
    r.onAct = [&] {
        if (box) {
            QSignalSpy ticks(r.jog->findChild<Ticker *>(QStringLiteral("鼠标发送扫描器")),
                             &Ticker::tick);
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&] {
                auto *up = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (up && ticks.count() >= 3) {
                    ticksUnderBox = int(ticks.count());
                    up->button(QMessageBox::Ok)->click();
                }
            });
            closer.start(5);
            prompt::show(nullptr, kMessage);
        } else {
            prompt::show(nullptr, kMessage);
        }
    };
    pad.setButton(1, true);
    QTRY_VERIFY_WITH_TIMEOUT(r.events.contains(QStringLiteral("act")), 5000);
    if (box)
        QVERIFY(ticksUnderBox >= 3);
    else
        QCOMPARE(answered, QStringList{kMessage});
    // Still leaned after OK, it waits for the centre.
    QVERIFY(r.silentAfter());
    pad.centre();
    QVERIFY(r.ticks());
    pad.setStick(1, 0);
    QVERIFY(r.allAre(kRight));
    QCOMPARE(r.events.count(QStringLiteral("act")), 1);
}

void ControlRulesTest::centreIsTheDeadZone_data()
{
    QTest::addColumn<bool>("stop"); // 停止运动, else a frame refused for want of a link
    QTest::newRow("停止运动") << true;
    QTest::newRow("refused frame") << false;
}

void ControlRulesTest::centreIsTheDeadZone()
{
    QFETCH(bool, stop);
    VirtualStick pad;
    Rig r;
    QVERIFY(r.attached() && r.open());
    QVERIFY(r.ticks());
    pad.setStick(1, 0);
    QVERIFY(r.allAre(kRight));
    if (stop) {
        r.stopButton->click();
    } else {
        r.links.setOpen(false);
        QVERIFY(r.ticks());
        r.links.setOpen(true);
    }
    // Leaned another way, never back in the middle: nothing.
    pad.setStick(-0.5, 0.8);
    QVERIFY(r.ticks());
    r.pty.drain(40);
    pad.setStick(1, 0);
    QVERIFY(r.silentAfter());
    // Anywhere inside the 15% zone is the centre; the drift of a resting stick is.
    pad.setStick(0.1, -0.12);
    QVERIFY(r.ticks());
    QVERIFY(r.silentAfter());
    pad.setStick(1, 0);
    QVERIFY(r.allAre(kRight));
}

void ControlRulesTest::deadZoneBounds_data()
{
    QTest::addColumn<double>("zone");
    QTest::addColumn<double>("deflection");
    QTest::addColumn<double>("share");
    // Below 5% the floor holds, the edge itself still inside.
    QTest::newRow("none asked, drift") << 0.0 << 0.04 << 0.0;
    QTest::newRow("none asked, edge") << 0.0 << -0.05 << 0.0;
    QTest::newRow("none asked, beyond") << 0.01 << -0.525 << -0.5;
    // Above 90% the cap holds, so the stick still reaches full speed.
    QTest::newRow("all asked") << 1.0 << 0.95 << 0.5;
    QTest::newRow("all asked, full") << 1.0 << -1.0 << -1.0;
}

void ControlRulesTest::deadZoneBounds()
{
    QFETCH(double, zone);
    QFETCH(double, deflection);
    QFETCH(double, share);
    stick::Shape shape;
    shape.deadZone = zone;
    QVERIFY2(qAbs(stick::share(deflection, shape) - share) < 1e-9,
             qPrintable(QString::number(stick::share(deflection, shape))));
}

QTEST_MAIN(ControlRulesTest)
#include "tst_controlrules.moc"
