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

const QByteArray kUp = hex("FF 01 00 08 00 3F 48");

struct KeyConsole : Console
{
    explicit KeyConsole(bool open = true) : Console(7)
    {
        get<QComboBox>("探照灯")->setEditText(QStringLiteral("01"));
        if (open)
            openSerial();
        // The keys go to the head while a button has the focus.
        get<QPushButton>("停止运动")->setFocus();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {}, bool repeat = false)
    {
        QTest::simulateEvent(form->windowHandle(), true, key, mods, textOf(key, mods), repeat);
    }
    void release(Qt::Key key, Qt::KeyboardModifiers mods = {}, bool repeat = false)
    {
        QTest::simulateEvent(form->windowHandle(), false, key, mods, textOf(key, mods), repeat);
    }
    // The text a key types, as the window system sends it along: digits and small letters.
    static QString textOf(Qt::Key key, Qt::KeyboardModifiers mods)
    {
        if (mods & Qt::ControlModifier)
            return {};
        if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
            return QString(QChar(key)).toLower();
        return {};
    }
    bool anyHeld()
    {
        return std::any_of(form->jog().JogHeld.begin(), form->jog().JogHeld.end(),
                           [](bool held) { return held; });
    }
    QList<QByteArray> frames(int n)
    {
        FrameStream stream({}, true);
        stream.feed(pty.read(7 * n));
        return stream.frames;
    }
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

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT
private slots:
    void keysDriveFromStartUp();
    void holdToMove_data();
    void holdToMove();
    void twoArrowsMakeADiagonal();
    void autoRepeatNeitherRestartsNorStops();
    void keysTheFocusedControlUsesStayThere_data();
    void keysTheFocusedControlUsesStayThere();
    void deactivationLetsGo();
    void hotkeys_data();
    void hotkeys();
    void tooltipsNameTheKeys();
};

void KeyboardTest::keysDriveFromStartUp()
{
    // The operator connects with the mouse and goes straight to the keys.
    Console c(7);
    QVERIFY(c.openSerial());
    QTest::simulateEvent(c.form->windowHandle(), true, Qt::Key_Up, {}, QString(), false);
    QVERIFY(c.form->jog().JogHeld[1]);
    QVERIFY(!c.pty.read(7).isEmpty());
    QTest::simulateEvent(c.form->windowHandle(), false, Qt::Key_Up, {}, QString(), false);
    QVERIFY(!c.form->jog().JogHeld[1]);
}

void KeyboardTest::holdToMove_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("keypad 8") << int(Qt::Key_8) << true << kUp;
    QTest::newRow("keypad 8 without Num Lock") << int(Qt::Key_Up) << true << kUp;
    QTest::newRow("arrow up") << int(Qt::Key_Up) << false << kUp;
    QTest::newRow("keypad 7") << int(Qt::Key_7) << true << hex("FF 01 00 0C 3F 3F 8B");
    QTest::newRow("keypad 7 without Num Lock")
        << int(Qt::Key_Home) << true << hex("FF 01 00 0C 3F 3F 8B");
    QTest::newRow("keypad 3") << int(Qt::Key_3) << true << hex("FF 01 00 12 3F 3F 91");
    QTest::newRow("keypad 3 without Num Lock")
        << int(Qt::Key_PageDown) << true << hex("FF 01 00 12 3F 3F 91");
    QTest::newRow("keypad 4") << int(Qt::Key_4) << true << hex("FF 01 00 04 3F 00 44");
    QTest::newRow("arrow left") << int(Qt::Key_Left) << false << hex("FF 01 00 04 3F 00 44");
    QTest::newRow("keypad 1") << int(Qt::Key_1) << true << hex("FF 01 00 14 3F 3F 93");
    QTest::newRow("keypad 9") << int(Qt::Key_9) << true << hex("FF 01 00 0A 3F 3F 89");
    QTest::newRow("keypad 2") << int(Qt::Key_2) << true << hex("FF 01 00 10 00 3F 50");
    QTest::newRow("keypad 6") << int(Qt::Key_6) << true << hex("FF 01 00 02 3F 00 42");
}

void KeyboardTest::holdToMove()
{
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(QByteArray, frame);
    KeyConsole c;
    auto *focused = QApplication::focusWidget();
    const Qt::KeyboardModifiers mods = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    c.press(Qt::Key(key), mods);
    QVERIFY(c.anyHeld());
    const QList<QByteArray> frames = c.frames(5);
    QVERIFY(allAre(frames, frame));
    c.release(Qt::Key(key), mods);
    QVERIFY(!c.anyHeld());
    QVERIFY(c.silentAfter());
    // The key was the head's: the focus did not move with it.
    QCOMPARE(QApplication::focusWidget(), focused);
}

void KeyboardTest::twoArrowsMakeADiagonal()
{
    KeyConsole c;
    c.press(Qt::Key_Up);
    c.press(Qt::Key_Left);
    c.pty.drain(30);
    QVERIFY(allAre(c.frames(5), hex("FF 01 00 0C 3F 3F 8B")));
    c.release(Qt::Key_Left);
    c.pty.drain(30);
    QVERIFY(allAre(c.frames(5), kUp));
    // Opposite keys cancel.
    c.press(Qt::Key_Down);
    QVERIFY(!c.anyHeld());
    QVERIFY(c.silentAfter());
    c.release(Qt::Key_Down);
    c.release(Qt::Key_Up);
    QVERIFY(c.silentAfter());
}

void KeyboardTest::autoRepeatNeitherRestartsNorStops()
{
    KeyConsole c;
    c.press(Qt::Key_Right);
    QVERIFY(c.frames(1).size() == 1);
    // The window system's repeats of a held key: release and press pairs marked as repeats.
    for (int i = 0; i < 10; ++i) {
        c.release(Qt::Key_Right, {}, true);
        QVERIFY(c.anyHeld());
        c.press(Qt::Key_Right, {}, true);
        QTest::qWait(10);
    }
    c.pty.drain(20);
    QVERIFY(allAre(c.frames(5), hex("FF 01 00 02 3F 00 42")));
    c.release(Qt::Key_Right);
    QVERIFY(c.silentAfter());

    // Without a link the first frame is refused and lets go; the repeats do not start it again.
    c.click("连接And断开连接");
    QVERIFY(!c.form->link().linkOpen());
    c.get<QPushButton>("停止运动")->setFocus();
    c.form->log().clear();
    c.press(Qt::Key_Right);
    QTRY_VERIFY(!c.anyHeld());
    for (int i = 0; i < 5; ++i) {
        c.release(Qt::Key_Right, {}, true);
        c.press(Qt::Key_Right, {}, true);
        QTest::qWait(10);
        QVERIFY(!c.anyHeld());
    }
    c.release(Qt::Key_Right);
    QVERIFY(c.log().isEmpty());
}

void KeyboardTest::keysTheFocusedControlUsesStayThere_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("angle box") << QStringLiteral("水平角度");
    QTest::newRow("device number") << QStringLiteral("探照灯");
    QTest::newRow("speed") << QStringLiteral("水平速度");
    QTest::newRow("timetable") << QStringLiteral("定时配置");
}

void KeyboardTest::keysTheFocusedControlUsesStayThere()
{
    QFETCH(QString, control);
    KeyConsole c;
    auto *widget = c.form->findChild<QWidget *>(control);
    QVERIFY(widget);
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    c.prompts.messages.clear();
    auto *edit = qobject_cast<QLineEdit *>(widget);
    const QString before = edit ? edit->text() : QString();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}) {
        c.press(key);
        QVERIFY(!c.anyHeld());
        c.release(key);
    }
    c.press(Qt::Key_8, Qt::KeypadModifier);
    QVERIFY(!c.anyHeld());
    c.release(Qt::Key_8, Qt::KeypadModifier);
    c.press(Qt::Key_K);
    c.release(Qt::Key_K);
    QVERIFY(c.silentAfter());
    QVERIFY(c.log().isEmpty());
    // The control took them as its own.
    if (edit)
        QVERIFY2(edit->text() != before && edit->text().contains(u'k'), qPrintable(edit->text()));
    if (auto *list = qobject_cast<QListWidget *>(widget))
        QVERIFY(list->currentRow() >= 0);
    QVERIFY(widget->hasFocus());
}

void KeyboardTest::deactivationLetsGo()
{
    KeyConsole c;
    c.press(Qt::Key_8, Qt::KeypadModifier);
    QVERIFY(c.anyHeld());
    QVERIFY(c.frames(2).size() >= 2);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!c.anyHeld());
    QVERIFY(c.silentAfter());
    // Its release went elsewhere; back on the console, nothing is held.
    c.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c.form.get()));
    QVERIFY(!c.anyHeld());
    QVERIFY(c.silentAfter());
}

void KeyboardTest::hotkeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("K lamp on") << int(Qt::Key_K) << 0 << hex("FF 01 02 00 00 00 03").repeated(3);
    QTest::newRow("G lamp off") << int(Qt::Key_G) << 0 << hex("FF 01 04 00 00 00 05").repeated(3);
    QTest::newRow("X cruise") << int(Qt::Key_X) << 0 << hex("FF 01 00 80 3F 3F FF").repeated(3);
    QTest::newRow("Ctrl+1 preset 1")
        << int(Qt::Key_1) << int(Qt::ControlModifier) << hex("FF 01 31 00 00 00 32").repeated(3);
    QTest::newRow("Ctrl+9 preset 9")
        << int(Qt::Key_9) << int(Qt::ControlModifier) << hex("FF 01 39 00 00 00 3A").repeated(3);
    QTest::newRow("keypad 5 stop")
        << int(Qt::Key_5) << int(Qt::KeypadModifier) << QByteArray("Rssssssssss");
    QTest::newRow("keypad 5 without Num Lock")
        << int(Qt::Key_Clear) << int(Qt::KeypadModifier) << QByteArray("Rssssssssss");
}

void KeyboardTest::hotkeys()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QByteArray, sent);
    KeyConsole c;
    c.press(Qt::Key(key), Qt::KeyboardModifiers(mods));
    QCOMPARE(c.pty.read(int(sent.size())).toHex(' '), sent.toHex(' '));
    // Held down, it does its action once.
    for (int i = 0; i < 3; ++i)
        c.press(Qt::Key(key), Qt::KeyboardModifiers(mods), true);
    c.release(Qt::Key(key), Qt::KeyboardModifiers(mods));
    QVERIFY(c.silentAfter());
    QVERIFY(c.prompts.messages.isEmpty());
    // The preset dialog did not open for it.
    QVERIFY(!c.form->presets().dialog());
}

void KeyboardTest::tooltipsNameTheKeys()
{
    KeyConsole c(false);
    QCOMPARE(c.get<QPushButton>("开")->toolTip(), QStringLiteral("快捷键：K"));
    QCOMPARE(c.get<QPushButton>("关")->toolTip(), QStringLiteral("快捷键：G"));
    QCOMPARE(c.get<QPushButton>("中")->toolTip(), QStringLiteral("快捷键：X"));
    QCOMPARE(c.get<QPushButton>("停止运动")->toolTip(), QStringLiteral("快捷键：小键盘 5"));
    QCOMPARE(c.get<QPushButton>("调用预置位")->toolTip(),
             QStringLiteral("直接调用预置位 1-9：Ctrl+1 至 Ctrl+9"));
    QCOMPARE(c.get<QPushButton>("上")->toolTip(), QStringLiteral("按住转动：小键盘 8 或 ↑"));
    QCOMPARE(c.get<QPushButton>("左上")->toolTip(), QStringLiteral("按住转动：小键盘 7 或 ↑+←"));

    // Cruise from its key without a link says what its button says.
    c.press(Qt::Key_X);
    QCOMPARE(c.prompts.messages, QStringList{QStringLiteral("请先连接设备再操作!")});
    c.release(Qt::Key_X);
    QVERIFY(!c.form->cruise().cruising());
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
