// Commanding the head from the real window: jog frames, lamp, stop, cruise and the send log,
// read back at the far end of a real pseudo-terminal and a real loopback socket.
#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/cruisecontrol.h"
#include "control/jogcontrol.h"
#include "control/ticker.h"
#include "link/hostpart.h"
#include "link/links.h"
#include "link/logtext.h"
#include "link/sendpath.h"
#include "ui/choicebox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWheelEvent>
#include <QtTest>

#include <unistd.h>

namespace {

// The console on COM7 with the serial link open.
const ConsoleOptions kOpen = ConsoleOptions().com(7).serialOpen();
const ConsoleOptions kClosed = ConsoleOptions().com(7);

// The next burst of three frames at the far end, as hex text.
QByteArray burst(Console &c)
{
    return c.pty.read(21).toHex(' ');
}

// A frame three times over, as hex text: what one burst sends.
QByteArray burstHex(const QByteArray &frame)
{
    return wire::threeOf(frame).toHex(' ');
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void jogFrames_data();
    void jogFrames();
    void jogWithAnyMouseButton();
    void jogWithTheKeyboardAndAnAccessibilityPress();
    void pressAndReleaseBetweenTicksSendsNothing();
    void refusedFrameLetsGoOfEverything();
    void lostReleaseLetsGo();
    void speedChangeTakesEffectOnTheNextTick();
    void lampFrames();
    void lampTextCommands();
    void stopButtonSendsTextAlways();
    void sendLogLimit();
    void framesOnTcpArriveAsOneRun();
    void cruiseStartAndCancel();
    void cruiseNeedsALink();
    void patternChoicePresetsSpeeds();
    void speedChoiceRestartsRunningCruise();
    void typedValuesNeverReachTheHeadWrong();
    void scanOrderWithTwoDirectionsHeld();
    void choiceBoxesShowTheirValueInTheList();
    void wheelTurnsOnlyTheFocusedBox();
};

void CommandsTest::jogFrames_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("pan");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QByteArray>("frame");
    const auto add = [](const char *name, const char *button, const char *address, const char *pan,
                        const char *tilt, const char *frame) {
        QTest::newRow(name) << QString::fromUtf8(button) << QString(address) << QString(pan)
                            << QString(tilt) << hex(frame);
    };
    add("up", "上", "01", "99", "63", "FF 01 00 08 00 3F 48");
    add("right", "右", "01", "20", "63", "FF 01 00 02 14 00 17");
    add("up-left", "左上", "01", "63", "63", "FF 01 00 0C 3F 3F 8B");
    add("up-right", "右上", "02", "10", "20", "FF 02 00 0A 0A 14 2A");
    add("down-right", "右下", "255", "99", "99", "FF FF 00 12 63 63 D7");
    add("down", "下", "00", "05", "07", "FF 00 00 10 00 07 17");
    add("down-left", "左下", "07", "5", "6", "FF 07 00 14 05 06 26");
    add("left", "左", "200", "63", "11", "FF C8 00 04 3F 00 0B");
}

void CommandsTest::jogFrames()
{
    QFETCH(QString, button);
    QFETCH(QString, address);
    QFETCH(QString, pan);
    QFETCH(QString, tilt);
    QFETCH(QByteArray, frame);
    Console c(kOpen);
    QVERIFY(c.link().linkOpen());
    c.get<QComboBox>("探照灯")->setEditText(address);
    c.get<QComboBox>("水平速度")->setEditText(pan);
    c.get<QComboBox>("垂直速度")->setEditText(tilt);
    auto *b = c.form->findChild<QPushButton *>(button);

    QTest::mousePress(b, Qt::LeftButton);
    const QByteArray held = c.pty.read(7 * 4, 2000);
    QTest::mouseRelease(b, Qt::LeftButton);
    QTest::qWait(30);
    const QByteArray all = held + c.pty.drain(30);
    const FrameStream read = framesIn(all);
    QCOMPARE(read.strayBytes, 0);
    const QList<QByteArray> &frames = read.frames;
    QVERIFY(frames.size() >= 4);
    for (const QByteArray &f : frames)
        QCOMPARE(f.toHex(' '), frame.toHex(' '));
    // After release nothing more is sent.
    QCOMPARE(c.pty.drain(60), QByteArray());
    QVERIFY(c.log().isEmpty() || c.log().contains(QString::fromLatin1(frame.toHex(' ').toUpper())));
}

void CommandsTest::jogWithAnyMouseButton()
{
    Console c(kOpen);
    c.setSearchlight("01");
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::RightButton);
    QVERIFY(c.jog().JogHeld[1]);
    const QByteArray got = c.pty.read(14, 2000);
    QTest::mouseRelease(up, Qt::RightButton);
    QVERIFY(!c.jog().JogHeld[1]);
    // With nothing held the scan stops waking the console.
    QTRY_VERIFY(c.jog().findChild<Ticker *>(QStringLiteral("鼠标发送扫描器"))->resting());
    QVERIFY(got.startsWith(wire::kUp));
}

void CommandsTest::jogWithTheKeyboardAndAnAccessibilityPress()
{
    Console c(kOpen);
    c.setSearchlight("01");
    auto *right = c.get<QPushButton>("右");
    right->setFocus();
    QTRY_VERIFY(right->hasFocus());
    QTest::keyPress(right, Qt::Key_Space);
    QVERIFY(c.jog().JogHeld[3]);
    QVERIFY(c.pty.read(14).startsWith(wire::kRight));
    QTest::keyRelease(right, Qt::Key_Space);
    QVERIFY(!c.jog().JogHeld[3]);
    c.pty.drain(30);

    // An accessibility press is a short hold.
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(right);
    QVERIFY(face && face->actionInterface());
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(c.jog().JogHeld[3]);
    QTRY_VERIFY(!c.jog().JogHeld[3]);
    QVERIFY(c.pty.drain(30).startsWith(wire::kRight));
}

void CommandsTest::pressAndReleaseBetweenTicksSendsNothing()
{
    Console c(kOpen);
    auto *right = c.get<QPushButton>("右");
    QTest::mousePress(right, Qt::LeftButton);
    QTest::mouseRelease(right, Qt::LeftButton);
    QCOMPARE(c.pty.drain(80), QByteArray());
    QVERIFY(c.log().isEmpty());
}

void CommandsTest::refusedFrameLetsGoOfEverything()
{
    Console c(kClosed);
    QVERIFY(!c.link().linkOpen());
    QTest::mousePress(c.get<QPushButton>("上"), Qt::LeftButton);
    QTest::mousePress(c.get<QPushButton>("左"), Qt::LeftButton);
    QVERIFY(c.jog().JogHeld[1] && c.jog().JogHeld[7]);
    // The first tick's first frame is refused and clears both flags; left is never tried.
    QTRY_VERIFY(std::none_of(c.jog().JogHeld.begin(), c.jog().JogHeld.end(),
                             [](bool held) { return held; }));
    QTest::qWait(30);
    QVERIFY(c.log().isEmpty());
    QCOMPARE(c.pty.drain(20), QByteArray());
}

void CommandsTest::lostReleaseLetsGo()
{
    Console c(kOpen);
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::LeftButton);
    QVERIFY(c.jog().JogHeld[1]);
    QVERIFY(!c.pty.read(7).isEmpty());
    // Another window takes over while the button is down: its release never comes here.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!c.jog().JogHeld[1]);
    c.pty.drain(30);
    QCOMPARE(c.pty.drain(50), QByteArray());

    // The same when the button is disabled under the finger.
    c.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c.form.get()));
    auto *left = c.get<QPushButton>("左");
    QTest::mousePress(left, Qt::LeftButton);
    QVERIFY(c.jog().JogHeld[7]);
    left->setEnabled(false);
    QVERIFY(!c.jog().JogHeld[7]);
    left->setEnabled(true);
    QVERIFY(!c.jog().JogHeld[7]);
}

void CommandsTest::speedChangeTakesEffectOnTheNextTick()
{
    Console c(kOpen);
    c.setSearchlight("01");
    // Start-up chose 巡航三, so both speeds read 63.
    QCOMPARE(c.get<QComboBox>("水平速度")->currentText(), QStringLiteral("63"));
    QCOMPARE(c.get<QComboBox>("垂直速度")->currentText(), QStringLiteral("63"));
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::LeftButton);
    QVERIFY(c.pty.read(7).startsWith(wire::kUp));
    c.get<QComboBox>("垂直速度")->setEditText("20");
    QTest::qWait(25);
    c.pty.drain(5);
    const QByteArray later = c.pty.read(7);
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(later.left(7).toHex(' '), hex("FF 01 00 08 00 14 1D").toHex(' '));
}

void CommandsTest::lampFrames()
{
    Console c(kOpen);
    c.setSearchlight("01");
    c.click("开");
    QCOMPARE(burst(c), burstHex(wire::kLampOn));
    const QString on = QStringLiteral("\r\n-->发送：") + wire::text(wire::kLampOn) + " \r\n";
    QCOMPARE(c.log(), on + on + on);
    // The screen follows the log within a moment.
    auto *box = c.get<QPlainTextEdit>("TxtDisplay");
    QTRY_COMPARE(box->toPlainText(), QString(on + on + on).replace("\r\n", "\n"));

    // The address is read for every frame: a new searchlight gets the next burst.
    c.setSearchlight("05");
    c.click("关");
    QCOMPARE(burst(c), burstHex(hex("FF 05 04 00 00 00 09")));
    // 93 + 31 = 124 characters, then the fifth entry empties the log, and the sixth starts it.
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：FF 05 04 00 00 00 09 \r\n"));
}

void CommandsTest::lampTextCommands()
{
    Console c(kOpen);
    c.clickBox("角度控制");
    QVERIFY(c.get<QCheckBox>("角度控制")->isChecked());
    QCOMPARE(c.pty.drain(30), QByteArray()); // ticking sends nothing
    c.click("开");
    QCOMPARE(c.pty.read(11), QByteArray("Roooooooooo"));
    c.click("关");
    QCOMPARE(c.pty.read(11), QByteArray("Rcccccccccc"));
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：Roooooooooo\r\n\r\n-->发送：Rcccccccccc\r\n"));
    QCOMPARE(c.pty.drain(30), QByteArray());
}

void CommandsTest::stopButtonSendsTextAlways()
{
    Console c(kOpen);
    c.click("停止运动");
    QCOMPARE(c.pty.read(11), QByteArray("Rssssssssss"));
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：Rssssssssss\r\n"));

    // Without a link the write is dropped and the log line is still written.
    c.click("连接And断开连接");
    QVERIFY(!c.link().linkOpen());
    c.click("停止运动");
    QCOMPARE(c.log(), QStringLiteral("\r\n-->发送：Rssssssssss\r\n").repeated(2));
    QCOMPARE(c.pty.drain(30), QByteArray());
}

void CommandsTest::sendLogLimit()
{
    Console c(kOpen);
    SendPath &send = c.send();
    const protocol::Command up = protocol::jog(1, protocol::Direction::Up, 0x20, 0x3F);
    for (int i = 0; i < 4; ++i)
        send.send(up, {});
    QCOMPARE(c.log().size(), 124);
    QCOMPARE(c.pty.read(28).toHex(' '), wire::kUp.repeated(4).toHex(' '));
    send.send(up, {});
    QCOMPARE(c.log(), QString());
    QCOMPARE(c.pty.read(7).size(), 7);

    // Text lines are 21 characters: the seventh empties the log.
    for (int i = 0; i < 6; ++i)
        send.send(protocol::textLamp(true), {});
    QCOMPARE(c.log().size(), 126);
    send.send(protocol::textLamp(true), {});
    QCOMPARE(c.log(), QString());
    c.pty.read(77);

    // A checksum that needs more than eight bits keeps the low eight.
    send.send(protocol::cruiseStart(0xFF, 3, 0xFF, 0xFF), {});
    QCOMPARE(c.pty.read(7).toHex(' '), hex("FF FF 00 80 FF FF 7D").toHex(' '));
}

void CommandsTest::framesOnTcpArriveAsOneRun()
{
    Console c(kClosed);
    QVERIFY(c.openTcp("127.0.0.31"));
    c.setSearchlight("01");
    c.click("开");
    QByteArray got;
    QTRY_VERIFY((got += c.peer->readAll()).size() >= 21);
    QCOMPARE(got.toHex(' '), burstHex(wire::kLampOn));

    c.click("停止运动");
    got.clear();
    QTRY_VERIFY((got += c.peer->readAll()).size() >= 11);
    QCOMPARE(got, QByteArray("Rssssssssss"));
}

void CommandsTest::cruiseStartAndCancel()
{
    Console c(kOpen);
    c.setSearchlight("01");
    auto *centre = c.get<QPushButton>("中");
    c.click("中");
    QCOMPARE(burst(c), burstHex(wire::kCruiseThree));
    QCOMPARE(centre->text(), QStringLiteral("取消  巡航"));
    QVERIFY(c.cruise().cruising());
    for (const char *name : kDirectionButtons)
        QVERIFY2(!c.get<QPushButton>(name)->isEnabled(), name);

    // Closing the link leaves the cruise state alone.
    c.click("连接And断开连接");
    QCOMPARE(centre->text(), QStringLiteral("取消  巡航"));
    c.click("连接And断开连接");
    c.prompts.messages.clear();

    c.click("中");
    QCOMPARE(burst(c), burstHex(wire::kCruiseStop));
    QCOMPARE(centre->text(), QStringLiteral("自动  巡航"));
    QVERIFY(!c.cruise().cruising());
    for (const char *name : kDirectionButtons)
        QVERIFY2(c.get<QPushButton>(name)->isEnabled(), name);
    QVERIFY(c.prompts.messages.isEmpty());
}

void CommandsTest::cruiseNeedsALink()
{
    Console c(kClosed);
    c.click("中");
    QCOMPARE(c.prompts.messages, QStringList{QStringLiteral("请先连接设备再操作!")});
    QCOMPARE(c.get<QPushButton>("中")->text(), QStringLiteral("自动  巡航"));
    QVERIFY(!c.cruise().cruising());
    QVERIFY(c.get<QPushButton>("上")->isEnabled());
}

void CommandsTest::patternChoicePresetsSpeeds()
{
    Console c(kOpen);
    c.setSearchlight("01");
    c.choose("巡航模式", 0);
    QCOMPARE(c.get<QComboBox>("巡航模式")->currentText(), QStringLiteral("巡航一"));
    QCOMPARE(c.get<QComboBox>("水平速度")->currentText(), QStringLiteral("63"));
    QCOMPARE(c.get<QComboBox>("垂直速度")->currentText(), QStringLiteral("5"));
    QCOMPARE(c.pty.drain(30), QByteArray());

    c.click("中");
    QCOMPARE(c.pty.read(21).left(7).toHex(' '), wire::kCruiseOne.toHex(' '));
    c.click("中");
    c.pty.drain(20);

    // Jog frames carry the one-digit speed as 0x05.
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::LeftButton);
    const QByteArray got = c.pty.read(7);
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(got.left(7).toHex(' '), hex("FF 01 00 08 00 05 0E").toHex(' '));

    c.choose("巡航模式", 1);
    QCOMPARE(c.get<QComboBox>("水平速度")->currentText(), QStringLiteral("5"));
    QCOMPARE(c.get<QComboBox>("垂直速度")->currentText(), QStringLiteral("63"));
    // Typing a pattern name picks nothing.
    auto *pattern = c.get<QComboBox>("巡航模式");
    pattern->setEditText(QStringLiteral("巡航三"));
    QTest::keyClick(pattern->lineEdit(), Qt::Key_Return);
    QCOMPARE(c.get<QComboBox>("水平速度")->currentText(), QStringLiteral("5"));
}

void CommandsTest::speedChoiceRestartsRunningCruise()
{
    Console c(kOpen);
    c.setSearchlight("01");
    // Idle: a speed choice sends nothing.
    c.choose("水平速度", 10);
    QCOMPARE(c.pty.drain(40), QByteArray());

    c.choose("巡航模式", 1); // 巡航二: speeds 5 and 63
    c.click("中");
    QCOMPARE(c.pty.read(21).left(7).toHex(' '), wire::kCruiseTwo.toHex(' '));
    c.choose("垂直速度", 15); // "20"
    QCOMPARE(c.get<QComboBox>("垂直速度")->currentText(), QStringLiteral("20"));
    QCOMPARE(burst(c), burstHex(hex("FF 01 00 20 05 14 3A")));

    // A new pattern sends nothing by itself; the next speed choice restarts with it.
    c.choose("巡航模式", 2);
    QCOMPARE(c.pty.drain(30), QByteArray());
    c.choose("水平速度", 3); // "08"
    QCOMPARE(c.pty.read(21).left(7).toHex(' '), hex("FF 01 00 80 08 3F C8").toHex(' '));
}

void CommandsTest::typedValuesNeverReachTheHeadWrong()
{
    Console c(kOpen);
    auto *light = c.get<QComboBox>("探照灯");
    auto *pan = c.get<QComboBox>("水平速度");
    for (QComboBox *box : {light, pan, c.get<QComboBox>("垂直速度")}) {
        box->setFocus();
        retype(box->lineEdit(), "300");
        QCOMPARE(box->currentText(), QStringLiteral("30"));
        retype(box->lineEdit(), "a1b-2 ");
        QCOMPARE(box->currentText(), QStringLiteral("12"));
        retype(box->lineEdit(), "255");
        QCOMPARE(box->currentText(), QStringLiteral("255"));
    }
    // An emptied box keeps its last valid value for the head, and gets it back on leaving.
    light->setFocus();
    QTRY_VERIFY(light->hasFocus());
    retype(light->lineEdit(), "9");
    light->lineEdit()->selectAll();
    QTest::keyClick(light->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(light->currentText(), QString());
    QCOMPARE(static_cast<ByteBox *>(light)->value(), quint8(9));
    c.click("开");
    QCOMPARE(c.pty.read(21).left(7).toHex(' '), hex("FF 09 02 00 00 00 0B").toHex(' '));
    c.get<QLineEdit>("水平角度")->setFocus();
    QTRY_COMPARE(light->currentText(), QStringLiteral("9"));
    QVERIFY(c.prompts.messages.isEmpty());
}

void CommandsTest::scanOrderWithTwoDirectionsHeld()
{
    Console c(kOpen);
    c.setSearchlight("01");
    QTest::mousePress(c.get<QPushButton>("左"), Qt::LeftButton);
    QTest::mousePress(c.get<QPushButton>("上"), Qt::LeftButton);
    c.pty.drain(40);
    const auto readNow = [&] {
        QByteArray got;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(c.pty.master(), buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        return got;
    };
    readNow(); // what the last tick of the drain wrote
    // One scan by hand, with no turn of the event loop: up comes before left, whichever was
    // pressed first.
    c.jog().scan();
    const QByteArray got = readNow();
    QCOMPARE(got.toHex(' '), (wire::kUp + wire::kLeft).toHex(' '));
    QTest::mouseRelease(c.get<QPushButton>("上"), Qt::LeftButton);
    QTest::mouseRelease(c.get<QPushButton>("左"), Qt::LeftButton);
}

void CommandsTest::choiceBoxesShowTheirValueInTheList()
{
    Console c(kOpen);
    // Every choice box set from code has the entry of its text current, or none when the text
    // is not in the list.
    for (const char *name : {"探照灯", "巡航模式", "水平速度", "垂直速度"}) {
        auto *box = c.get<QComboBox>(name);
        QCOMPARE(box->currentIndex(), box->findText(box->currentText()));
    }
    auto *pan = c.get<QComboBox>("水平速度");
    QCOMPARE(pan->currentText(), QStringLiteral("63"));
    c.choose("巡航模式", 0);
    auto *tilt = c.get<QComboBox>("垂直速度");
    QCOMPARE(tilt->currentText(), QStringLiteral("5"));
    QCOMPARE(tilt->currentIndex(), -1);
    QCOMPARE(pan->itemText(pan->currentIndex()), QStringLiteral("63"));

    // Re-picking the pattern already shown is a choice: it puts back that pattern's speeds.
    c.choose("巡航模式", 2);
    c.choose("水平速度", 10);
    QCOMPARE(pan->currentText(), QStringLiteral("15"));
    auto *pattern = c.get<QComboBox>("巡航模式");
    const auto pickShown = [](QComboBox *box, Qt::Key key) {
        box->showPopup();
        QTRY_VERIFY(box->view()->isVisible());
        QCOMPARE(box->view()->currentIndex().data().toString(), box->currentText());
        QTest::keyClick(box->view(), key);
        QTRY_VERIFY(!box->view()->isVisible());
    };
    pickShown(pattern, Qt::Key_Return);
    QCOMPARE(pan->currentText(), QStringLiteral("63"));
    QCOMPARE(tilt->currentText(), QStringLiteral("63"));

    // While cruising, taking the speed shown from the list restarts the cruise; opening the list
    // and leaving it with Escape chooses nothing.
    c.setSearchlight("01");
    c.click("中");
    QCOMPARE(c.pty.read(21).size(), 21);
    pickShown(pan, Qt::Key_Escape);
    QCOMPARE(c.pty.drain(40), QByteArray());
    pickShown(pan, Qt::Key_Return);
    QCOMPARE(pan->currentText(), QStringLiteral("63"));
    QCOMPARE(c.pty.read(21), wire::threeOf(wire::kCruiseThree));
}

void CommandsTest::wheelTurnsOnlyTheFocusedBox()
{
    Console c(kOpen);
    auto *light = c.get<QComboBox>("探照灯");
    const auto turn = [&] {
        QWheelEvent wheel(QPointF(5, 5), light->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(light, &wheel);
    };
    c.get<QLineEdit>("水平角度")->setFocus();
    QTRY_VERIFY(c.get<QLineEdit>("水平角度")->hasFocus());
    turn();
    QCOMPARE(light->currentText(), QStringLiteral("00"));
    QVERIFY(!light->hasFocus());

    light->setFocus();
    QTRY_VERIFY(light->hasFocus());
    turn();
    QCOMPARE(light->currentText(), QStringLiteral("01"));
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
