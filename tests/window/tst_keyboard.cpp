// Jogging and the hotkeys from the keyboard of the real console, with key events delivered to
// its window as the window system delivers them, read back at the far end of a real
// pseudo-terminal.
#include "support.h"

#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/cruisecontrol.h"
#include "control/jogcontrol.h"
#include "link/logtext.h"
#include "presets/presetcontroller.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

// The console on COM7 with searchlight 01, the link open after a click of the mouse, which
// leaves the keyboard focus on a button.
const ConsoleOptions kKeys = ConsoleOptions().com(7).searchlight("01").serialOpen();

// At least n frames after those already on their way; true when they are all this one.
bool steadyAre(Console &c, const QByteArray &frame, int n = 5)
{
    c.pty.drain(25);
    return c.allAre(frame, n);
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT
private slots:
    void holdToMove_data();
    void holdToMove();
    void twoArrowsMakeADiagonal();
    void autoRepeatNeitherRestartsNorStops();
    void keysTheFocusedControlUsesStayThere_data();
    void keysTheFocusedControlUsesStayThere();
    void deactivationLetsGo();
    void aPopupLetsGo_data();
    void aPopupLetsGo();
    void hotkeys_data();
    void hotkeys();
};

void KeyboardTest::holdToMove_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("keypad 8") << int(Qt::Key_8) << true << wire::kUp;
    QTest::newRow("keypad 8, Num Lock off") << int(Qt::Key_Up) << true << wire::kUp;
    QTest::newRow("arrow up") << int(Qt::Key_Up) << false << wire::kUp;
    QTest::newRow("keypad 7, Num Lock off") << int(Qt::Key_Home) << true << wire::kUpLeft;
    QTest::newRow("keypad 3") << int(Qt::Key_3) << true << wire::kDownRight;
    QTest::newRow("keypad 1, Num Lock off") << int(Qt::Key_End) << true << wire::kDownLeft;
    QTest::newRow("keypad 9") << int(Qt::Key_9) << true << wire::kUpRight;
    QTest::newRow("arrow left") << int(Qt::Key_Left) << false << wire::kLeft;
}

void KeyboardTest::holdToMove()
{
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(QByteArray, frame);
    Console c(kKeys);
    QWidget *focused = QApplication::focusWidget();
    const Qt::KeyboardModifiers mods = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    c.key(true, Qt::Key(key), mods);
    QVERIFY(steadyAre(c, frame));
    c.key(false, Qt::Key(key), mods);
    QVERIFY(c.silentAfter());
    // The key was the head's: the focus did not move with it.
    QCOMPARE(QApplication::focusWidget(), focused);
}

void KeyboardTest::twoArrowsMakeADiagonal()
{
    Console c(kKeys);
    c.key(true, Qt::Key_Up);
    c.key(true, Qt::Key_Left);
    QVERIFY(steadyAre(c, wire::kUpLeft));
    c.key(false, Qt::Key_Left);
    QVERIFY(steadyAre(c, wire::kUp));
    // Opposite keys cancel.
    c.key(true, Qt::Key_Down);
    QVERIFY(c.silentAfter());
    c.key(false, Qt::Key_Down);
    c.key(false, Qt::Key_Up);
    QVERIFY(c.silentAfter());
}

void KeyboardTest::autoRepeatNeitherRestartsNorStops()
{
    Console c(kKeys);
    const auto repeat = [&](int times) {
        // The window system's repeats of a held key: releases and presses marked as repeats.
        for (int i = 0; i < times; ++i) {
            c.key(false, Qt::Key_Up, {}, true);
            c.key(true, Qt::Key_Up, {}, true);
            QTest::qWait(10);
        }
    };
    c.key(true, Qt::Key_Up);
    repeat(10);
    QVERIFY(c.jogHeld());
    QVERIFY(steadyAre(c, wire::kUp));
    c.key(false, Qt::Key_Up);
    QVERIFY(c.silentAfter());

    // Without a link the first frame is refused and lets go; the repeats do not start it again.
    c.click("连接And断开连接");
    c.logText().clear();
    c.key(true, Qt::Key_Up);
    QTRY_VERIFY(!c.jogHeld());
    repeat(5);
    QVERIFY(!c.jogHeld());
    c.key(false, Qt::Key_Up);
    QVERIFY(c.log().isEmpty());
}

void KeyboardTest::keysTheFocusedControlUsesStayThere_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("angle box") << QStringLiteral("水平角度");
    QTest::newRow("device number") << QStringLiteral("探照灯");
    QTest::newRow("timetable") << QStringLiteral("定时配置");
}

void KeyboardTest::keysTheFocusedControlUsesStayThere()
{
    QFETCH(QString, control);
    Console c(kKeys);
    auto *widget = c.form->findChild<QWidget *>(control);
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    auto *edit = qobject_cast<QLineEdit *>(widget);
    const QString before = edit ? edit->text() : QString();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_8}) {
        const Qt::KeyboardModifiers mods = key == Qt::Key_8 ? Qt::KeypadModifier : Qt::NoModifier;
        c.key(true, key, mods);
        QVERIFY(!c.jogHeld());
        c.key(false, key, mods);
    }
    c.key(true, Qt::Key_K);
    c.key(false, Qt::Key_K);
    QVERIFY(c.silentAfter());
    // The control took them as its own.
    if (edit)
        QVERIFY2(edit->text() != before && edit->text().contains(u'k'), qPrintable(edit->text()));
    if (auto *list = qobject_cast<QListWidget *>(widget))
        QVERIFY(list->currentRow() >= 0);
    if (auto *box = qobject_cast<QComboBox *>(widget))
        QVERIFY2(box->currentText().contains(u'8'), qPrintable(box->currentText()));
    QVERIFY(widget->hasFocus());
}

void KeyboardTest::deactivationLetsGo()
{
    Console c(kKeys);
    c.key(true, Qt::Key_8, Qt::KeypadModifier);
    QVERIFY(steadyAre(c, wire::kUp, 2));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!c.jogHeld());
    QVERIFY(c.silentAfter());
    // Its release went elsewhere; back on the console, nothing is held.
    c.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c.form.get()));
    QVERIFY(c.silentAfter());
}

void KeyboardTest::aPopupLetsGo_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("list of a choice box") << QStringLiteral("水平速度");
    QTest::newRow("menu of a text box") << QStringLiteral("水平角度");
}

void KeyboardTest::aPopupLetsGo()
{
    // A popup takes the keyboard but leaves the window active: a key let go while it is up is
    // let go all the same.
    QFETCH(QString, control);
    Console c(kKeys);
    auto *widget = c.form->findChild<QWidget *>(control);
    c.key(true, Qt::Key_Right);
    QVERIFY(steadyAre(c, wire::kRight, 2));
    if (auto *box = qobject_cast<QComboBox *>(widget)) {
        box->showPopup();
    } else {
        // A right click, as the window system delivers it.
        const QPoint at = widget->mapTo(c.form.get(), widget->rect().center());
        QTest::mouseClick(c.form->windowHandle(), Qt::RightButton, {}, at);
    }
    QTRY_VERIFY(QApplication::activePopupWidget());
    QVERIFY(!c.jogHeld());
    // The release goes to the popup, which holds the keyboard.
    QWindow *popup = QApplication::activePopupWidget()->windowHandle();
    QTest::simulateEvent(popup, false, Qt::Key_Right, {}, {}, false);
    QTest::keyClick(popup, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(c.silentAfter());
}

void KeyboardTest::hotkeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("K lamp on") << int(Qt::Key_K) << 0 << wire::threeOf(wire::kLampOn) << "开"
                               << "快捷键：K";
    QTest::newRow("G lamp off") << int(Qt::Key_G) << 0 << wire::threeOf(wire::kLampOff) << "关"
                                << "快捷键：G";
    QTest::newRow("X cruise") << int(Qt::Key_X) << 0 << wire::threeOf(wire::kCruiseThree) << "中"
                              << "快捷键：X";
    QTest::newRow("Ctrl+9 preset 9") << int(Qt::Key_9) << int(Qt::ControlModifier)
                                     << wire::threeOf(wire::kRecallPresetNine) << "调用预置位"
                                     << "直接调用预置位 1-9：Ctrl+1 至 Ctrl+9";
    QTest::newRow("keypad 5 stop")
        << int(Qt::Key_5) << int(Qt::KeypadModifier) << QByteArray("Rssssssssss") << "停止运动"
        << "快捷键：小键盘 5";
    QTest::newRow("keypad 5, Num Lock off")
        << int(Qt::Key_Clear) << int(Qt::KeypadModifier) << QByteArray("Rssssssssss") << "左上"
        << "按住转动：小键盘 7 或 ↑+←";
}

void KeyboardTest::hotkeys()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QByteArray, sent);
    QFETCH(QString, button);
    QFETCH(QString, tooltip);
    Console c(kKeys);
    QCOMPARE(c.form->findChild<QPushButton *>(button)->toolTip(), tooltip);
    c.key(true, Qt::Key(key), Qt::KeyboardModifiers(mods));
    QCOMPARE(c.pty.read(int(sent.size())).toHex(' '), sent.toHex(' '));
    // Held down, it does its action once, and the preset dialog does not open for it.
    for (int i = 0; i < 3; ++i)
        c.key(true, Qt::Key(key), Qt::KeyboardModifiers(mods), true);
    c.key(false, Qt::Key(key), Qt::KeyboardModifiers(mods));
    QVERIFY(c.silentAfter());
    QVERIFY(!c.presets().dialog());
    // Cruise from its key without a link says what its button says.
    if (key == Qt::Key_X) {
        c.click("连接And断开连接");
        c.prompts.messages.clear();
        c.key(true, Qt::Key_X);
        c.key(false, Qt::Key_X);
        QCOMPARE(c.prompts.messages, QStringList{QStringLiteral("请先连接设备再操作!")});
    }
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
