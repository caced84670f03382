// Storing and recalling head positions from the real window: the preset dialog, its frames
// with their arrival times at the far end of a real pseudo-terminal, and the labels in a real
// SQLite file in the console's program directory.
#include "farend.h"
#include "otherprogram.h"
#include "support.h"
#include "virtualstick.h"

#include "app/mainform.h"
#include "control/jogcontrol.h"
#include "control/stickcontrol.h"
#include "link/sendpath.h"
#include "presets/form1.h"
#include "presets/presetcontroller.h"
#include "presets/presettable.h"
#include "presets/presettexts.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <chrono>

using namespace std::chrono_literals;
using Clock = FarEnd::Clock;

namespace {

const QStringList kLabels{"东门", "西门", "南塔", "北塔", "码头", "仓库", "", "七号", "九"};

// The console on COM11, for its preset dialog, with the serial link open.
const ConsoleOptions kOpen = ConsoleOptions().com(11).serialOpen();
const ConsoleOptions kClosed = ConsoleOptions().com(11);

QString storePath(Console &c)
{
    return presettable::filePathIn(c.dir.path());
}

Form1 *dialog(Console &c)
{
    return c.form->findChild<Form1 *>("Form1");
}

QPushButton *button(Console &c, int preset)
{
    return dialog(c)->findChild<QPushButton *>(QStringLiteral("预置位%1").arg(preset));
}

QLineEdit *box(Console &c, int preset)
{
    return dialog(c)->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(preset));
}

QStringList shown(Console &c)
{
    const PresetLabels labels = dialog(c)->labels();
    return QStringList(labels.begin(), labels.end());
}

void press(Console &c, int preset)
{
    QTest::mouseClick(button(c, preset), Qt::LeftButton);
}

// The dialog's frame centred on the available area of the main window's screen.
bool centred(Console &c)
{
    const QRect area = c.form->screen()->availableGeometry();
    const QPoint offset = dialog(c)->frameGeometry().center() - area.center();
    return offset.manhattanLength() <= 2;
}

QStringList with(QStringList labels, int preset, const QString &text)
{
    labels[preset - 1] = text;
    return labels;
}

} // namespace

class PresetsTest : public QObject
{
    Q_OBJECT
private slots:
    void burst_data();
    void burst();
    void nothingComesBetweenTheCopies();
    void dialogFollowsTheSearchlight_data();
    void dialogFollowsTheSearchlight();
    void searchlightChangedBeforeTheLabelsCame();
    void noLinkAndNoFile();
    void closeBoxAndReopening();
    void storeNotADatabase();
    void storeLocked();
    void layout();
};

void PresetsTest::burst_data()
{
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("searchlight");
    QTest::addColumn<int>("preset");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("set 3 on 05") << "设置预置位"
                                 << "05" << 3 << hex("FF 05 63 00 00 00 68");
    QTest::newRow("recall 9 on 255") << "调用预置位"
                                     << "255" << 9 << hex("FF FF 39 00 00 00 38");
}

void PresetsTest::burst()
{
    QFETCH(QString, opening);
    QFETCH(QString, searchlight);
    QFETCH(int, preset);
    QFETCH(QByteArray, frame);
    Console c(kOpen);
    OtherProgram other(storePath(c));
    QVERIFY(other.seed(searchlight, kLabels));
    QVERIFY(other.seed("06", kLabels));
    c.setSearchlight(searchlight.toUtf8());

    c.click(opening.toUtf8());
    QCOMPARE(int(c.presets().Yuzhiwei), opening == "设置预置位" ? 1 : 2);
    QVERIFY(dialog(c)->isVisible());
    QTRY_COMPARE(shown(c), kLabels);
    box(c, 4)->setText("改过");

    // The window goes on while the copies are paced: a 5 ms timer keeps its ticks between them.
    QList<Clock::time_point> sent, ticks;
    connect(&c.send(), &SendPath::sent, this, [&] { sent << Clock::now(); });
    QTimer clock;
    connect(&clock, &QTimer::timeout, this, [&] { ticks << Clock::now(); });
    clock.start(5);
    FarEnd head(c.pty.master());
    press(c, preset);
    QVERIFY(!dialog(c)->isVisible());
    QTRY_COMPARE(head.frames().size(), 3);
    head.stop();
    clock.stop();
    QCOMPARE(sent.size(), 3);
    const auto frames = head.frames();
    for (const auto &f : frames)
        QCOMPARE(f.bytes.toHex(' '), frame.toHex(' '));
    for (int i = 1; i < 3; ++i) {
        // No copy can reach the head sooner than the gap after the one before left.
        const auto gap = std::chrono::duration<double, std::milli>(frames[i].at - sent[i - 1]);
        qInfo("gap %d: %.2f ms", i, gap.count());
        QVERIFY2(gap >= 50ms, qPrintable(QString::number(gap.count())));
        QVERIFY(sent[i] - sent[i - 1] >= 50ms);
        const auto between = std::count_if(ticks.begin(), ticks.end(),
                                           [&](auto t) { return t > sent[i - 1] && t < sent[i]; });
        QVERIFY2(between >= 1, qPrintable(QString::number(between)));
    }
    QCOMPARE(int(c.presets().CounterA), preset);
    const QString line =
        "\r\n-->发送：" + QString::fromLatin1(frame.toHex(' ').toUpper()) + " \r\n";
    QCOMPARE(c.log(), line + line + line);
    QTRY_COMPARE(other.labels(searchlight), with(kLabels, 4, "改过"));
    QCOMPARE(other.labels("06"), kLabels);
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::nothingComesBetweenTheCopies()
{
    Console c(kOpen);
    c.setSearchlight("01");
    c.click("设置预置位");
    // The main window lets go of held buttons when it loses the focus: hold one only after.
    QTRY_COMPARE(QApplication::activeWindow(), dialog(c));
    QVERIFY(c.presetsSettled());

    // The head's frames as letters: j jog up, s set preset 2, l lamp on.
    FarEnd head(c.pty.master());
    const auto letters = [&] {
        QString seen;
        for (const auto &f : head.frames()) {
            seen += f.bytes == wire::kUp             ? 'j'
                    : f.bytes == wire::kSetPresetTwo ? 's'
                    : f.bytes == wire::kLampOn       ? 'l'
                                                     : '?';
        }
        return seen;
    };

    // As the console wrote them, to tell a made-up run of jog frames from the scan's own pace.
    QList<FarEnd::Frame> sent;
    connect(&c.send(), &SendPath::sent, this,
            [&](const protocol::Command &, const QString &, const QByteArray &bytes) {
                sent << FarEnd::Frame{bytes, Clock::now()};
            });

    // Jogging up when the preset is pressed, the lamp switched on while its copies go out, and
    // the jog held on until it comes back after both.
    QTest::mousePress(c.get<QPushButton>("上"), Qt::LeftButton);
    QTRY_VERIFY(head.frames().size() >= 3);
    press(c, 2);
    QVERIFY(c.send().repeating());
    c.get<QPushButton>("开")->click();
    QTRY_VERIFY_WITH_TIMEOUT(letters().contains("lj"), 5000);
    QVERIFY(c.jog().JogHeld[1]);
    QTest::mouseRelease(c.get<QPushButton>("上"), Qt::LeftButton);
    head.stop();

    // The lamp's frames wait for the last copy; the jog frames due meanwhile are dropped.
    const QString seen = letters();
    QVERIFY2(QRegularExpression("^j{3,}ssslllj+$").match(seen).hasMatch(), qPrintable(seen));
    // Not made up for either: after the lamp the scan goes on at one frame a tick, and a late
    // tick is not followed by a second one within the same 10 ms.
    const QByteArray &lamp = wire::kLampOn;
    const auto lastLamp =
        std::find_if(sent.rbegin(), sent.rend(), [&](const auto &f) { return f.bytes == lamp; });
    QVERIFY(lastLamp != sent.rend());
    const auto soon = std::count_if(sent.begin(), sent.end(), [&](const auto &f) {
        return f.bytes != lamp && f.at >= lastLamp->at && f.at < lastLamp->at + 9ms;
    });
    QVERIFY2(soon <= 2, qPrintable(QString::number(soon)));
}

void PresetsTest::dialogFollowsTheSearchlight_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("chosen from the list") << "list";
    QTest::newRow("typed") << "typed";
    QTest::newRow("the stick's next-device button") << "stick";
}

void PresetsTest::dialogFollowsTheSearchlight()
{
    QFETCH(QString, how);
    Console c(kOpen);
    OtherProgram other(storePath(c));
    const QStringList b = with(kLabels, 1, "二号灯");
    QVERIFY(other.seed("01", kLabels) && other.seed("02", b));
    VirtualStick pad;
    QVERIFY(QTest::qWaitFor([&] { return c.stick().attached(); }, 3000));
    c.setSearchlight("01");
    c.click("设置预置位");
    QTRY_COMPARE(shown(c), kLabels);

    // Another searchlight while the dialog is up: its own labels are shown, edited and saved.
    if (how == "list")
        c.choose("探照灯", 2);
    else if (how == "typed")
        retype(c.get<QComboBox>("探照灯")->lineEdit(), "02");
    else
        pad.setButton(11, true);
    QTRY_COMPARE(shown(c), b);
    box(c, 4)->setText("改过");
    press(c, 1);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 02 61 00 00 00 63").repeated(3).toHex(' '));
    QTRY_COMPARE(other.labels("02"), with(b, 4, "改过"));
    QCOMPARE(other.labels("01"), kLabels);
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::searchlightChangedBeforeTheLabelsCame()
{
    Console c(kOpen);
    OtherProgram other(storePath(c));
    const QStringList b = with(kLabels, 1, "二号灯");
    QVERIFY(other.seed("01", kLabels) && other.seed("02", b));
    c.setSearchlight("01");

    // Opened on 01 while another program holds the file: 01's labels come only after 02 has
    // been chosen, and are never shown as 02's.
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.click("设置预置位");
    QStringList seen;
    connect(box(c, 1), &QLineEdit::textChanged, this, [&](const QString &text) { seen << text; });
    c.setSearchlight("02");
    QVERIFY(other.run("ROLLBACK"));
    QTRY_COMPARE(shown(c), b);
    QVERIFY(c.presetsSettled());
    QVERIFY2(!seen.contains(kLabels[0]), qPrintable(seen.join(u'|')));

    // A preset pressed while 02's labels are still on their way: its frames go to 02, and the
    // boxes, read for 01, are written nowhere.
    c.setSearchlight("01");
    QTRY_COMPARE(shown(c), kLabels);
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.setSearchlight("02");
    press(c, 1);
    QVERIFY(other.run("ROLLBACK"));
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 02 61 00 00 00 63").repeated(3).toHex(' '));
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(c.presetsSettled());
    QCOMPARE(other.labels("02"), b);
    QCOMPARE(other.labels("01"), kLabels);
}

void PresetsTest::noLinkAndNoFile()
{
    Console c(kClosed);
    QVERIFY(!QFile::exists(storePath(c)));
    c.click("调用预置位");
    // A fresh machine: nine empty boxes, and reading creates nothing.
    QTRY_COMPARE(shown(c), QStringList(9, QString()));
    QVERIFY(!QFile::exists(storePath(c)));
    box(c, 4)->setText("北塔");
    press(c, 4);
    QVERIFY(!dialog(c)->isVisible());
    QCOMPARE(c.pty.drain(120), QByteArray());
    QVERIFY(c.log().isEmpty());
    QVERIFY(c.presetsSettled());
    QVERIFY(c.prompts.messages.isEmpty());
    OtherProgram other(storePath(c));
    QCOMPARE(other.labels("00"), with(QStringList(9, QString()), 4, "北塔"));
}

void PresetsTest::closeBoxAndReopening()
{
    Console c(kOpen);
    OtherProgram other(storePath(c));
    QVERIFY(other.seed("00", kLabels));
    c.click("设置预置位");
    QTRY_VERIFY(centred(c));
    QVERIFY(c.presetsSettled());
    box(c, 1)->setText("改过");
    dialog(c)->close();
    QVERIFY(!dialog(c)->isVisible());
    QCOMPARE(other.labels("00"), kLabels);

    // Another program changes the row meanwhile; the next opening shows the change.
    QVERIFY(other.run("UPDATE 预置位信息 SET A1号 = '新' WHERE 探照灯 = '00'"));
    dialog(c)->move(0, 0);
    c.click("调用预置位");
    QCOMPARE(int(c.presets().Yuzhiwei), 2);
    QVERIFY(dialog(c)->isVisible());
    QTRY_COMPARE(shown(c), with(kLabels, 1, "新"));
    QTRY_VERIFY(centred(c));

    // Opening again while shown: new mode, centred again, edits discarded, still one dialog.
    box(c, 2)->setText("丢掉");
    dialog(c)->move(0, 0);
    c.click("设置预置位");
    QCOMPARE(int(c.presets().Yuzhiwei), 1);
    QTRY_COMPARE(shown(c), with(kLabels, 1, "新"));
    QTRY_VERIFY(centred(c));
    QCOMPARE(c.form->findChildren<Form1 *>().size(), 1);
    press(c, 5);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 65 00 00 00 65").repeated(3).toHex(' '));
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::storeNotADatabase()
{
    Console c(kOpen);
    QVERIFY(QDir(c.dir.path()).mkpath("123"));
    QFile file(storePath(c));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("these are not the labels you are looking for\n").repeated(40));
    file.close();
    const auto failed = [&](const QString &operation) {
        return presettexts::failure(operation, storePath(c), presettexts::kNotDatabase);
    };

    c.click("设置预置位");
    QTRY_COMPARE(c.prompts.messages, QStringList{failed(presettexts::kLoadFailed)});
    QCOMPARE(shown(c), QStringList(9, QString()));
    c.prompts.messages.clear();
    // Labels that were never read are not written over whatever the file holds.
    press(c, 3);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 63 00 00 00 63").repeated(3).toHex(' '));
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(!dialog(c)->isVisible());
    QVERIFY(c.form->isVisible());
    QVERIFY(c.presetsSettled());
    QCOMPARE(fileBytes(storePath(c)),
             QByteArray("these are not the labels you are looking for\n").repeated(40));
}

void PresetsTest::storeLocked()
{
    Console c(kOpen);
    OtherProgram other(storePath(c));
    QVERIFY(other.seed("00", kLabels));
    const QString locked =
        presettexts::failure(presettexts::kSaveFailed, storePath(c), presettexts::kLocked);
    const QString unreadable =
        presettexts::failure(presettexts::kLoadFailed, storePath(c), presettexts::kLocked);

    // A save that waits for the lock does so off the window thread: the press is over while
    // the save still waits, and the message follows once the store gives up.
    c.click("设置预置位");
    QTRY_COMPARE(shown(c), kLabels);
    box(c, 1)->setText("改过");
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    press(c, 1);
    QCOMPARE(c.presets().storeWorkPending(), 1);
    QVERIFY(!dialog(c)->isVisible());
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 61 00 00 00 61").repeated(3).toHex(' '));
    QVERIFY(c.prompts.messages.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{locked}, 5000);
    QCOMPARE(other.labels("00"), kLabels);

    // Opened while the lock holds, the dialog gets no labels: its boxes stay empty and cannot be
    // edited, and a preset button sends its frames but writes nothing over the stored labels.
    c.prompts.messages.clear();
    c.click("设置预置位");
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{unreadable}, 5000);
    QCOMPARE(shown(c), QStringList(9, QString()));
    QVERIFY(box(c, 1)->isReadOnly());
    QVERIFY(other.run("ROLLBACK"));
    c.prompts.messages.clear();
    press(c, 1);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 61 00 00 00 61").repeated(3).toHex(' '));
    QVERIFY(!dialog(c)->isVisible());
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(c.presetsSettled());
    QCOMPARE(other.labels("00"), kLabels);
    // The next opening reads them and saves as usual.
    c.prompts.messages.clear();
    c.click("设置预置位");
    QTRY_COMPARE(shown(c), kLabels);
    QVERIFY(!box(c, 1)->isReadOnly());
    box(c, 9)->setText("九号");
    press(c, 2);
    QTRY_COMPARE(other.labels("00"), with(kLabels, 9, "九号"));
    QVERIFY(c.prompts.messages.isEmpty());

    // The lock goes and the dialog is opened anew while the message is up: that opening stands.
    c.click("设置预置位");
    QVERIFY(c.presetsSettled());
    QCOMPARE(shown(c), with(kLabels, 9, "九号"));
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.prompts.onMessage = [&](const QString &) {
        other.run("ROLLBACK");
        c.click("调用预置位");
    };
    press(c, 1);
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{locked}, 5000);
    QVERIFY(dialog(c)->isVisible());
    QCOMPARE(int(c.presets().Yuzhiwei), 2);
    QTRY_COMPARE(shown(c), with(kLabels, 9, "九号"));
}

void PresetsTest::layout()
{
    Form1 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(form.minimumSize(), twips::size(4080, 3510));
    QCOMPARE(form.maximumSize(), twips::size(4080, 3510));
    QVERIFY(!form.isModal());
    const int columns[] = {360, 1680, 3000};
    const int tops[] = {240, 1320, 2400};
    QList<QWidget *> tabOrder;
    for (int k = 1; k <= 9; ++k) {
        const int left = columns[(k - 1) % 3];
        const int top = tops[(k - 1) / 3];
        auto *b = child<QPushButton>(&form, QStringLiteral("预置位%1").arg(k).toUtf8());
        QVERIFY(b);
        QCOMPARE(b->geometry(), twips::rect(left, top, 735, 615));
        QCOMPARE(b->text(), QStringLiteral("%1 号位置").arg(k));
        QCOMPARE(accessibleName(b), b->text());
        auto *t = child<QLineEdit>(&form, QStringLiteral("Text%1").arg(k).toUtf8());
        QVERIFY(t);
        QCOMPARE(t->geometry(), twips::rect(left, top + 600, 735, 270));
        QCOMPARE(t->text(), QStringLiteral("A区"));
        QCOMPARE(t->alignment(), Qt::AlignCenter);
        QVERIFY(!t->isReadOnly());
        QCOMPARE(accessibleName(t), QStringLiteral("Text%1").arg(k));
        tabOrder.insert(k - 1, b);
        tabOrder.append(t);
    }
    QWidget *w = tabOrder.first();
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        QCOMPARE(w->objectName(), tabOrder[i]->objectName());
    }
}

QTEST_MAIN(PresetsTest)
#include "tst_presets.moc"
