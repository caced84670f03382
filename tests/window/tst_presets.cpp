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

// The console on COM11 with its preset dialog, the serial link open unless asked otherwise.
struct PresetConsole : Console
{
    explicit PresetConsole(bool open = true) : Console(11)
    {
        if (open)
            openSerial();
    }
    QString storePath() const { return presettable::filePathIn(dir.path()); }
    void setSearchlight(const char *text)
    {
        get<QComboBox>("探照灯")->setEditText(QString::fromUtf8(text));
    }
    Form1 *dialog() { return form->findChild<Form1 *>("Form1"); }
    QPushButton *button(int preset)
    {
        return dialog()->findChild<QPushButton *>(QStringLiteral("预置位%1").arg(preset));
    }
    QLineEdit *box(int preset)
    {
        return dialog()->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(preset));
    }
    QStringList shown()
    {
        const PresetLabels labels = dialog()->labels();
        return QStringList(labels.begin(), labels.end());
    }
    void press(int preset) { QTest::mouseClick(button(preset), Qt::LeftButton); }
    // The dialog's frame centred on the available area of the main window's screen.
    bool centred()
    {
        const QRect area = form->screen()->availableGeometry();
        const QPoint offset = dialog()->frameGeometry().center() - area.center();
        return offset.manhattanLength() <= 2;
    }
};

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
    void jogScanWaitsForTheBurstAndDoesNotCatchUp();
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
    PresetConsole c;
    OtherProgram other(c.storePath());
    QVERIFY(other.seed(searchlight, kLabels));
    QVERIFY(other.seed("06", kLabels));
    c.setSearchlight(searchlight.toUtf8());

    c.click(opening.toUtf8());
    QCOMPARE(int(c.form->presets().Yuzhiwei), opening == "设置预置位" ? 1 : 2);
    QVERIFY(c.dialog()->isVisible());
    QTRY_COMPARE(c.shown(), kLabels);
    c.box(4)->setText("改过");

    FarEnd head(c.pty.master());
    c.press(preset);
    QVERIFY(!c.dialog()->isVisible());
    QTRY_COMPARE(head.frames().size(), 3);
    head.stop();
    const auto frames = head.frames();
    for (const auto &f : frames)
        QCOMPARE(f.bytes.toHex(' '), frame.toHex(' '));
    for (int i = 1; i < 3; ++i) {
        const auto gap = std::chrono::duration<double, std::milli>(frames[i].at - frames[i - 1].at);
        qInfo("gap %d: %.2f ms", i, gap.count());
        QVERIFY2(gap >= 40ms, qPrintable(QString::number(gap.count())));
    }
    QCOMPARE(int(c.form->presets().CounterA), preset);
    const QString line =
        "\r\n-->发送：" + QString::fromLatin1(frame.toHex(' ').toUpper()) + " \r\n";
    QCOMPARE(c.log(), line + line + line);
    QTRY_COMPARE(other.labels(searchlight), with(kLabels, 4, "改过"));
    QCOMPARE(other.labels("06"), kLabels);
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::jogScanWaitsForTheBurstAndDoesNotCatchUp()
{
    PresetConsole c;
    c.setSearchlight("01");
    c.click("设置预置位");
    // The main window lets go of held buttons when it loses the focus: hold one only after.
    QTRY_COMPARE(QApplication::activeWindow(), c.dialog());
    QVERIFY(c.presetsSettled());
    Clock::time_point done;
    connect(c.button(2), &QPushButton::clicked, this, [&] { done = Clock::now(); });

    FarEnd head(c.pty.master());
    auto *up = c.get<QPushButton>("上");
    QTest::mousePress(up, Qt::LeftButton);
    QTRY_VERIFY(head.frames().size() >= 3);
    c.press(2);
    QTest::qWait(100);
    QVERIFY(c.form->jog().JogHeld[1]);
    QTest::mouseRelease(up, Qt::LeftButton);
    QTest::qWait(30);
    head.stop();

    const QByteArray jog = hex("FF 01 00 08 00 3F 48");
    const QByteArray set = hex("FF 01 62 00 00 00 63");
    const auto frames = head.frames();
    qsizetype first = 0;
    while (first < frames.size() && frames[first].bytes == jog)
        ++first;
    QVERIFY(first >= 3);
    QVERIFY(first + 3 < frames.size());
    for (qsizetype i = first; i < first + 3; ++i)
        QCOMPARE(frames[i].bytes.toHex(' '), set.toHex(' '));
    // Nothing comes between the three, and the scan resumes at its own pace: the ticks missed
    // during the pauses are not made up for. Counted from the end of the press, when the scan
    // may first run again, so a reader thread that was slow to wake can only lower the counts.
    int soon = 0, within60 = 0;
    for (qsizetype i = first + 3; i < frames.size(); ++i) {
        QCOMPARE(frames[i].bytes.toHex(' '), jog.toHex(' '));
        soon += frames[i].at <= done + 10ms;
        within60 += frames[i].at <= done + 60ms;
    }
    qInfo("jog frames after the burst: %d within 10 ms, %d within 60 ms", soon, within60);
    QVERIFY2(soon <= 2, qPrintable(QString::number(soon)));
    QVERIFY2(within60 <= 8, qPrintable(QString::number(within60)));
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
    PresetConsole c;
    OtherProgram other(c.storePath());
    const QStringList b = with(kLabels, 1, "二号灯");
    QVERIFY(other.seed("01", kLabels) && other.seed("02", b));
    VirtualStick pad;
    QVERIFY(QTest::qWaitFor([&] { return c.form->stick().attached(); }, 3000));
    c.setSearchlight("01");
    c.click("设置预置位");
    QTRY_COMPARE(c.shown(), kLabels);

    // Another searchlight while the dialog is up: its own labels are shown, edited and saved.
    if (how == "list")
        c.choose("探照灯", 2);
    else if (how == "typed")
        retype(c.get<QComboBox>("探照灯")->lineEdit(), "02");
    else
        pad.setButton(11, true);
    QTRY_COMPARE(c.shown(), b);
    c.box(4)->setText("改过");
    c.press(1);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 02 61 00 00 00 63").repeated(3).toHex(' '));
    QTRY_COMPARE(other.labels("02"), with(b, 4, "改过"));
    QCOMPARE(other.labels("01"), kLabels);
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::searchlightChangedBeforeTheLabelsCame()
{
    PresetConsole c;
    OtherProgram other(c.storePath());
    const QStringList b = with(kLabels, 1, "二号灯");
    QVERIFY(other.seed("01", kLabels) && other.seed("02", b));
    c.setSearchlight("01");

    // Opened on 01 while another program holds the file: 01's labels come only after 02 has
    // been chosen, and are never shown as 02's.
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.click("设置预置位");
    QStringList seen;
    connect(c.box(1), &QLineEdit::textChanged, this, [&](const QString &text) { seen << text; });
    c.setSearchlight("02");
    QVERIFY(other.run("ROLLBACK"));
    QTRY_COMPARE(c.shown(), b);
    QVERIFY(c.presetsSettled());
    QVERIFY2(!seen.contains(kLabels[0]), qPrintable(seen.join(u'|')));

    // A preset pressed while 02's labels are still on their way: its frames go to 02, and the
    // boxes, read for 01, are written nowhere.
    c.setSearchlight("01");
    QTRY_COMPARE(c.shown(), kLabels);
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.setSearchlight("02");
    c.press(1);
    QVERIFY(other.run("ROLLBACK"));
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 02 61 00 00 00 63").repeated(3).toHex(' '));
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(c.presetsSettled());
    QCOMPARE(other.labels("02"), b);
    QCOMPARE(other.labels("01"), kLabels);
}

void PresetsTest::noLinkAndNoFile()
{
    PresetConsole c(false);
    QVERIFY(!QFile::exists(c.storePath()));
    c.click("调用预置位");
    // A fresh machine: nine empty boxes, and reading creates nothing.
    QTRY_COMPARE(c.shown(), QStringList(9, QString()));
    QVERIFY(!QFile::exists(c.storePath()));
    c.box(4)->setText("北塔");
    c.press(4);
    QVERIFY(!c.dialog()->isVisible());
    QCOMPARE(c.pty.drain(120), QByteArray());
    QVERIFY(c.log().isEmpty());
    QVERIFY(c.presetsSettled());
    QVERIFY(c.prompts.messages.isEmpty());
    OtherProgram other(c.storePath());
    QCOMPARE(other.labels("00"), with(QStringList(9, QString()), 4, "北塔"));
}

void PresetsTest::closeBoxAndReopening()
{
    PresetConsole c;
    OtherProgram other(c.storePath());
    QVERIFY(other.seed("00", kLabels));
    c.click("设置预置位");
    QTRY_VERIFY(c.centred());
    QVERIFY(c.presetsSettled());
    c.box(1)->setText("改过");
    c.dialog()->close();
    QVERIFY(!c.dialog()->isVisible());
    QCOMPARE(other.labels("00"), kLabels);

    // Another program changes the row meanwhile; the next opening shows the change.
    QVERIFY(other.run("UPDATE 预置位信息 SET A1号 = '新' WHERE 探照灯 = '00'"));
    c.dialog()->move(0, 0);
    c.click("调用预置位");
    QCOMPARE(int(c.form->presets().Yuzhiwei), 2);
    QVERIFY(c.dialog()->isVisible());
    QTRY_COMPARE(c.shown(), with(kLabels, 1, "新"));
    QTRY_VERIFY(c.centred());

    // Opening again while shown: new mode, centred again, edits discarded, still one dialog.
    c.box(2)->setText("丢掉");
    c.dialog()->move(0, 0);
    c.click("设置预置位");
    QCOMPARE(int(c.form->presets().Yuzhiwei), 1);
    QTRY_COMPARE(c.shown(), with(kLabels, 1, "新"));
    QTRY_VERIFY(c.centred());
    QCOMPARE(c.form->findChildren<Form1 *>().size(), 1);
    c.press(5);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 65 00 00 00 65").repeated(3).toHex(' '));
    QVERIFY(c.prompts.messages.isEmpty());
}

void PresetsTest::storeNotADatabase()
{
    PresetConsole c;
    QVERIFY(QDir(c.dir.path()).mkpath("123"));
    QFile file(c.storePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("these are not the labels you are looking for\n").repeated(40));
    file.close();
    const auto failed = [&](const QString &operation) {
        return presettexts::failure(operation, c.storePath(), presettexts::kNotDatabase);
    };

    c.click("设置预置位");
    QTRY_COMPARE(c.prompts.messages, QStringList{failed(presettexts::kLoadFailed)});
    QCOMPARE(c.shown(), QStringList(9, QString()));
    c.prompts.messages.clear();
    // Labels that were never read are not written over whatever the file holds.
    c.press(3);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 63 00 00 00 63").repeated(3).toHex(' '));
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(!c.dialog()->isVisible());
    QVERIFY(c.form->isVisible());
    QVERIFY(c.presetsSettled());
    QCOMPARE(fileBytes(c.storePath()),
             QByteArray("these are not the labels you are looking for\n").repeated(40));
}

void PresetsTest::storeLocked()
{
    PresetConsole c;
    OtherProgram other(c.storePath());
    QVERIFY(other.seed("00", kLabels));
    const QString locked =
        presettexts::failure(presettexts::kSaveFailed, c.storePath(), presettexts::kLocked);
    const QString unreadable =
        presettexts::failure(presettexts::kLoadFailed, c.storePath(), presettexts::kLocked);

    // A save that waits for the lock does so off the window thread: the press is over while
    // the save still waits, and the message follows once the store gives up.
    c.click("设置预置位");
    QTRY_COMPARE(c.shown(), kLabels);
    c.box(1)->setText("改过");
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.press(1);
    QCOMPARE(c.form->presets().storeWorkPending(), 1);
    QVERIFY(!c.dialog()->isVisible());
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 61 00 00 00 61").repeated(3).toHex(' '));
    QVERIFY(c.prompts.messages.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{locked}, 5000);
    QCOMPARE(other.labels("00"), kLabels);

    // Opened while the lock holds, the dialog gets no labels: its boxes stay empty and cannot be
    // edited, and a preset button sends its frames but writes nothing over the stored labels.
    c.prompts.messages.clear();
    c.click("设置预置位");
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{unreadable}, 5000);
    QCOMPARE(c.shown(), QStringList(9, QString()));
    QVERIFY(c.box(1)->isReadOnly());
    QVERIFY(other.run("ROLLBACK"));
    c.prompts.messages.clear();
    c.press(1);
    QCOMPARE(c.pty.read(21).toHex(' '), hex("FF 00 61 00 00 00 61").repeated(3).toHex(' '));
    QVERIFY(!c.dialog()->isVisible());
    QCOMPARE(c.prompts.messages, QStringList{presettexts::kLabelsNotSaved});
    QVERIFY(c.presetsSettled());
    QCOMPARE(other.labels("00"), kLabels);
    // The next opening reads them and saves as usual.
    c.prompts.messages.clear();
    c.click("设置预置位");
    QTRY_COMPARE(c.shown(), kLabels);
    QVERIFY(!c.box(1)->isReadOnly());
    c.box(9)->setText("九号");
    c.press(2);
    QTRY_COMPARE(other.labels("00"), with(kLabels, 9, "九号"));
    QVERIFY(c.prompts.messages.isEmpty());

    // The lock goes and the dialog is opened anew while the message is up: that opening stands.
    c.click("设置预置位");
    QVERIFY(c.presetsSettled());
    QCOMPARE(c.shown(), with(kLabels, 9, "九号"));
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    c.prompts.onMessage = [&](const QString &) {
        other.run("ROLLBACK");
        c.click("调用预置位");
    };
    c.press(1);
    QTRY_COMPARE_WITH_TIMEOUT(c.prompts.messages, QStringList{locked}, 5000);
    QVERIFY(c.dialog()->isVisible());
    QCOMPARE(int(c.form->presets().Yuzhiwei), 2);
    QTRY_COMPARE(c.shown(), with(kLabels, 9, "九号"));
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
