// The main window as the operator finds it: start-up state, captions, layout, clock, About, exit.
#include "asoperator.h"
#include "support.h"

#include "app/datadirectory.h"
#include "app/linkcontroller.h"
#include "app/mainform.h"
#include "control/anglecontrol.h"
#include "link/hostpart.h"
#include "link/links.h"
#include "link/linktexts.h"
#include "presets/form1.h"
#include "presets/presetcontroller.h"
#include "presets/presetstore.h"
#include "presets/presettable.h"
#include "ui/prompt.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTime>
#include <QTimer>
#include <QtTest>

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void startupState();
    void captions_data();
    void captions();
    void layout();
    void clockFollowsTheWallClock();
    void closeBoxAndAltF4DoNothing();
    void exitClosesTheLinkAndEnds();
    void aboutWindowIsSingleAndDiscarded();
    void picturesAreOptional();
    void messageBoxIsPlainAndModal();
    void dataDirectoryFollowsWritability();
    void filesLiveInTheDataDirectory();
};

void StartupTest::startupState()
{
    Console c(29);
    QCOMPARE(c.form->windowTitle(), QStringLiteral("CorvaneV1.0"));
    QCOMPARE(c.status(), QStringLiteral("串口已就绪"));
    QVERIFY(c.get<QCheckBox>("串口")->isChecked());
    QVERIFY(!c.get<QCheckBox>("网络")->isChecked());
    QVERIFY(c.get<QLabel>("ImgSwitchOff")->isVisible());
    QVERIFY(!c.get<QLabel>("ImgSwitchOn")->isVisible());
    QVERIFY(!c.get<QLineEdit>("设备IP")->isEnabled());
    QVERIFY(c.get<QComboBox>("ComboComm")->isEnabled());
    QVERIFY(!c.get<QPlainTextEdit>("TxtDisplay")->isEnabled());
    auto *light = c.get<QComboBox>("探照灯");
    QCOMPARE(light->currentText(), QStringLiteral("00"));
    QCOMPARE(light->count(), 256);
    QCOMPARE(light->itemText(9), QStringLiteral("09"));
    QCOMPARE(light->itemText(255), QStringLiteral("255"));
    QCOMPARE(c.get<QComboBox>("巡航模式")->currentText(), QStringLiteral("巡航三"));
    auto *pan = c.get<QComboBox>("水平速度");
    QCOMPARE(pan->count(), 95);
    QCOMPARE(pan->itemText(0), QStringLiteral("05"));
    QCOMPARE(pan->itemText(94), QStringLiteral("99"));
    QCOMPARE(c.angles().PanAngleText, QStringLiteral("060"));
    QCOMPARE(c.angles().TiltAngleText, QStringLiteral("060"));
    QVERIFY(!c.link().LinkOn);
    QVERIFY(c.prompts.messages.isEmpty());

    // The rows themselves, as a first start shows them, are checked by the timetable tests.
    QCOMPARE(c.get<QListWidget>("定时配置")->selectionMode(), QAbstractItemView::MultiSelection);
}

void StartupTest::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char *name, const char *caption) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption);
    };
    row("串口", "串口通讯");
    row("网络", "网络通讯");
    row("LblPort", "端口号");
    row("搜索", "重新搜索串口");
    row("IP地址", "IP 地址");
    row("连接And断开连接", "连   接");
    row("角度控制", "需要角度控制，请选择");
    row("Label3", "提示区");
    row("CmdClearReceive", "清空提示区");
    row("定时配置说明", "定时配置说明");
    row("确认发送角度", "确认发送角度");
    row("查询位置", "位置查询");
    row("停止运动", "停止运动");
    row("开", "开");
    row("关", "关");
    row("左上", "↖");
    row("上", "↑");
    row("右上", "↗");
    row("右", "→");
    row("右下", "↘");
    row("下", "↓");
    row("左下", "↙");
    row("左", "←");
    row("中", "自动  巡航");
    row("设置预置位", "设置预置位");
    row("调用预置位", "调用预置位");
    row("Lab3_0", "水平角度：");
    row("Lab3_1", "垂直角度：");
    row("Lab3_10", "设备编号：");
    row("Lab3_11", "巡航模式：");
    row("Lab3_12", "水平速度：");
    row("Lab3_13", "垂直速度：");
    row("Lab3_14", "灯光：");
    row("CmdAbout", "关于");
    row("CmdExit", "退出程序");
    row("LblTitle", "Corvane");
    row("FramePort", "通讯设置");
    row("Frame1", "定时配置区");
    row("配置", "设备控制区");
}

void StartupTest::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    ProgramDir dir;
    MainForm form(dir.path());
    QWidget *w = form.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(::caption(w), caption);
    // Screen readers and desktop automation find controls by their caption.
    if (qobject_cast<QAbstractButton *>(w))
        QCOMPARE(accessibleName(w), caption);
}

void StartupTest::layout()
{
    ProgramDir dir;
    MainForm form(dir.path());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(224, 224, 224));
    QCOMPARE(form.minimumSize(), form.maximumSize());

    const struct
    {
        const char *name;
        int left, top, width, height;
    } regions[] = {
        {"FramePort", 120, 480, 3855, 3135}, {"显示区", 120, 3720, 3855, 3255},
        {"Frame1", 4080, 480, 6975, 6495},   {"配置", 11160, 480, 4215, 6495},
        {"瞎搞区", 120, 6960, 15255, 1215},  {"LblTitle", 5880, 0, 3915, 495},
        {"左上", 360, 3360, 840, 840},       {"上", 1680, 3360, 840, 840},
        {"右上", 3000, 3360, 840, 840},      {"左", 360, 4440, 840, 840},
        {"右", 3000, 4440, 840, 840},        {"左下", 360, 5520, 840, 840},
        {"下", 1680, 5520, 840, 840},        {"右下", 3000, 5520, 840, 840},
        {"中", 1560, 4440, 1095, 855},
    };
    for (const auto &r : regions) {
        QWidget *w = form.findChild<QWidget *>(QString::fromUtf8(r.name));
        QVERIFY2(w, r.name);
        QCOMPARE(w->geometry(), twips::rect(r.left, r.top, r.width, r.height));
        // Everything fits inside the window.
        QVERIFY2(form.rect().contains(w->mapTo(&form, QPoint(w->width() - 1, w->height() - 1))),
                 r.name);
    }
    auto *title = child<QLabel>(&form, "LblTitle");
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(title->font().pointSize(), 24);
}

void StartupTest::clockFollowsTheWallClock()
{
    ProgramDir dir;
    MainForm form(dir.path());
    auto *date = child<QLineEdit>(&form, "TxtDate");
    auto *time = child<QLineEdit>(&form, "TxtTime");
    QCOMPARE(date->alignment(), Qt::AlignCenter);
    // The boxes show the wall clock's reading, taken afresh at every try. A loaded machine may
    // hold the window thread for a second or more; the boxes catch up once it lets go, so the
    // bound is generous and only the outcome counts.
    constexpr int kCatchUpMs = 20000;
    const auto shown = [&] { return date->text() + QLatin1Char(' ') + time->text(); };
    const auto wall = [] {
        return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), wall(), kCatchUpMs);
    QVERIFY(QRegularExpression("^\\d{2}:\\d{2}:\\d{2}$").match(time->text()).hasMatch());
    // And it keeps following: a later second shows up as well.
    const QString first = time->text();
    QTRY_VERIFY_WITH_TIMEOUT(time->text() != first, kCatchUpMs);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), wall(), kCatchUpMs);
}

void StartupTest::closeBoxAndAltF4DoNothing()
{
    Console c(29);
    QSignalSpy exits(c.form.get(), &MainForm::exitRequested);
    QVERIFY(!c.form->close());
    QTest::keyClick(c.form.get(), Qt::Key_F4, Qt::AltModifier);
    QVERIFY(c.form->isVisible());
    QCOMPARE(exits.count(), 0);
}

void StartupTest::exitClosesTheLinkAndEnds()
{
    Console c(29);
    QSignalSpy exits(c.form.get(), &MainForm::exitRequested);
    QVERIFY(c.openSerial());
    QVERIFY(c.links().serial().isOpen());

    c.click("CmdExit");
    QCOMPARE(exits.count(), 1);
    QVERIFY(!c.links().serial().isOpen());
}

void StartupTest::aboutWindowIsSingleAndDiscarded()
{
    ProgramDir dir;
    QVERIFY(QDir(dir.path()).mkpath("123"));
    QVERIFY(QFile::copy(QFINDTESTDATA("../../assets/about.jpg"), dir.path() + "/123/BQ.jpg"));
    MainForm form(dir.path());
    form.show();
    auto *about = child<QPushButton>(&form, "CmdAbout");
    QTest::mouseClick(about, Qt::LeftButton);
    QTest::mouseClick(about, Qt::LeftButton);
    const auto windows = form.findChildren<QWidget *>("FrmAbout");
    QCOMPARE(windows.size(), 1);
    QWidget *frm = windows.first();
    QVERIFY(frm->isVisible());
    QCOMPARE(frm->windowTitle(), QStringLiteral("AboutUs"));
    QVERIFY(!(frm->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(frm->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!child<QLabel>(frm, "Image1")->pixmap().isNull());
    // The main window stays usable while it is open.
    QVERIFY(!frm->isModal());

    QPointer<QWidget> guard(frm);
    QTest::mouseClick(child<QPushButton>(frm, "CmdAboutOk"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());

    // The next opening builds a new one and reads the picture again.
    QFile::remove(dir.path() + "/123/BQ.jpg");
    QTest::mouseClick(about, Qt::LeftButton);
    QWidget *again = form.findChild<QWidget *>("FrmAbout");
    QVERIFY(again);
    QVERIFY(child<QLabel>(again, "Image1")->pixmap().isNull());
}

void StartupTest::picturesAreOptional()
{
    ProgramDir bare;
    // Said once on standard error, so that a broken install shows where the console looked.
    QTest::ignoreMessage(QtWarningMsg, qPrintable("corvane: no picture at " + bare.path() +
                                                  "/123/Chinese&English.jpg"));
    MainForm without(bare.path());
    QVERIFY(child<QLabel>(&without, "Image1")->pixmap().isNull());
    QCOMPARE(child<QLineEdit>(&without, "TxtStatus")->text(), QStringLiteral("串口已就绪"));

    ProgramDir full;
    QVERIFY(QDir(full.path()).mkpath("123"));
    QVERIFY(QFile::copy(QFINDTESTDATA("../../assets/logo.jpg"),
                        full.path() + "/123/Chinese&English.jpg"));
    MainForm with(full.path());
    QVERIFY(!child<QLabel>(&with, "Image1")->pixmap().isNull());
}

void StartupTest::messageBoxIsPlainAndModal()
{
    ProgramDir dir;
    MainForm form(dir.path());
    form.show();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QList<QAbstractButton *> buttons;
    bool modal = false;
    // Answer the real box from inside its own event loop, as the operator would.
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons();
        modal = box->isModal();
        QTest::keyClick(box, Qt::Key_Return);
    });
    prompt::show(&form, QStringLiteral("设 备 已 连 接 ！ ！ ！"));
    QCOMPARE(title, QStringLiteral("提示信息"));
    QCOMPARE(text, QStringLiteral("设 备 已 连 接 ！ ！ ！"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons.size(), 1);
    QVERIFY(modal);
}

void StartupTest::dataDirectoryFollowsWritability()
{
    QTemporaryDir writable, readOnly, home;
    QVERIFY(writable.isValid() && readOnly.isValid() && home.isValid());
    const QFile::Permissions readAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    const QFile::Permissions all =
        readAndEnter | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    QVERIFY(QFile::setPermissions(writable.path(), all));
    QVERIFY(QFile::setPermissions(home.path(), all));

    // What an operator copied beside the program from an older installation.
    const QString program = readOnly.path();
    QVERIFY(writeFile(program + "/123.ini", "10.0.0.9\r\n"));
    QVERIFY(writeFile(program + "/322.ini", "False\r\nTrue\r\n"));
    QVERIFY(
        writeFile(program + "/321.ini", QStringEncoder("GBK").encode(u"00 旧行\r\n01 旧行\r\n")));
    const PresetLabels labels{"东门", "西门", "", "", "", "", "", "", "九"};
    const PresetLabels other{"七", "", "", "", "", "", "", "", ""};
    QVERIFY(PresetStore(presettable::filePathIn(program)).save("00", labels).ok);
    QVERIFY(PresetStore(presettable::filePathIn(program)).save("07", other).ok);
    QList<QByteArray> besideProgram;
    for (const char *name : {"123.ini", "321.ini", "322.ini", "123/信息.db"})
        besideProgram << fileBytes(program + '/' + name);
    QVERIFY(QFile::setPermissions(program, readAndEnter));

    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    const QString oldName = QCoreApplication::applicationName();
    const auto restore = qScopeGuard([&] {
        if (hadXdg)
            qputenv("XDG_DATA_HOME", oldXdg);
        else
            qunsetenv("XDG_DATA_HOME");
        QCoreApplication::setApplicationName(oldName);
    });
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QCoreApplication::setApplicationName(datadirectory::kApplicationName);
    const QString own = home.path() + "/corvane";

    const AsOperator user;
    QVERIFY(user.ok());
    // A build or a folder install: everything stays beside the program, nothing is made.
    QCOMPARE(datadirectory::choose(writable.path()), writable.path());
    QVERIFY(!QFileInfo::exists(own));
    // A system-wide install: the user's own location, made on the spot.
    QCOMPARE(datadirectory::choose(program), own);
    QVERIFY(QFileInfo(own).isDir());
    QVERIFY(QFileInfo(own).isWritable());

    // Nothing of its own there yet: start-up reads what lies beside the program, and the next
    // save writes the data directory, taking the other searchlights' labels along.
    PromptRecorder prompts;
    MainForm form(program, own);
    QCOMPARE(child<QLineEdit>(&form, "设备IP")->text(), QStringLiteral("10.0.0.9"));
    auto *rows = child<QListWidget>(&form, "定时配置");
    QCOMPARE(rows->item(1)->text(), QStringLiteral("01 旧行"));
    QCOMPARE(rows->selectedItems(), QList<QListWidgetItem *>{rows->item(1)});
    QTest::mouseClick(child<QPushButton>(&form, "设置预置位"), Qt::LeftButton);
    auto *dialog = form.findChild<Form1 *>("Form1");
    QTRY_COMPARE(dialog->labels(), labels);
    QTRY_VERIFY(form.presets().storeWorkPending() == 0);
    dialog->findChild<QLineEdit *>("Text3")->setText("南塔");
    QTest::mouseClick(dialog->findChild<QPushButton *>("预置位1"), Qt::LeftButton);
    QTRY_VERIFY(form.presets().storeWorkPending() == 0);
    PresetLabels edited = labels;
    edited[2] = "南塔";
    QCOMPARE(PresetStore(presettable::filePathIn(own)).load("00").labels, edited);
    QCOMPARE(PresetStore(presettable::filePathIn(own)).load("07").labels, other);
    QTest::mouseClick(child<QPushButton>(&form, "CmdExit"), Qt::LeftButton);
    QCOMPARE(fileBytes(own + "/123.ini"), QByteArray("10.0.0.9\r\n"));
    QVERIFY(fileBytes(own + "/321.ini").startsWith("00 "));
    QVERIFY(fileBytes(own + "/322.ini").startsWith("False\r\nTrue\r\nFalse\r\n"));
    QCOMPARE(prompts.messages, QStringList());
    QList<QByteArray> after;
    for (const char *name : {"123.ini", "321.ini", "322.ini", "123/信息.db"})
        after << fileBytes(program + '/' + name);
    QCOMPARE(after, besideProgram);
}

void StartupTest::filesLiveInTheDataDirectory()
{
    ProgramDir program, data;
    QVERIFY(QDir(program.path()).mkpath("123"));
    QVERIFY(QFile::copy(QFINDTESTDATA("../../assets/logo.jpg"),
                        program.path() + "/123/Chinese&English.jpg"));
    // Settings beside the program that must be neither read nor replaced.
    QVERIFY(writeFile(program.path() + "/123.ini", "10.0.0.9\r\n"));
    QVERIFY(writeFile(data.path() + "/123.ini", "192.168.7.20\r\n"));
    const PresetLabels labels{"东门", "西门", "", "", "", "", "", "", "九"};
    QVERIFY(PresetStore(data.path() + "/123/信息.db").save("00", labels).ok);
    PtyPair pty;
    QVERIFY(pty.isValid());
    QVERIFY(pty.publish(data.path(), 29));

    PromptRecorder prompts;
    MainForm form(program.path(), data.path());
    QVERIFY(!child<QLabel>(&form, "Image1")->pixmap().isNull());
    QCOMPARE(child<QLineEdit>(&form, "设备IP")->text(), QStringLiteral("192.168.7.20"));

    child<QComboBox>(&form, "ComboComm")->setEditText(QStringLiteral("COM29"));
    QTest::mouseClick(child<QPushButton>(&form, "连接And断开连接"), Qt::LeftButton);
    QVERIFY(form.links().serial().isOpen());

    QTest::mouseClick(child<QPushButton>(&form, "设置预置位"), Qt::LeftButton);
    auto *dialog = form.findChild<Form1 *>("Form1");
    QVERIFY(dialog);
    QTRY_COMPARE(dialog->labels(), labels);
    dialog->hide();

    QTest::mouseClick(child<QPushButton>(&form, "CmdExit"), Qt::LeftButton);
    for (const char *name : {"123.ini", "321.ini", "322.ini"})
        QVERIFY2(QFileInfo::exists(data.path() + '/' + name), name);
    QCOMPARE(fileBytes(data.path() + "/123.ini"), QByteArray("192.168.7.20\r\n"));
    QCOMPARE(fileBytes(program.path() + "/123.ini"), QByteArray("10.0.0.9\r\n"));
    QCOMPARE(QDir(program.path()).entryList(QDir::Files), QStringList{"123.ini"});
    QCOMPARE(QDir(program.path() + "/123").entryList(QDir::Files),
             QStringList{"Chinese&English.jpg"});
    // The one message is the connect's own; saving said nothing.
    QCOMPARE(prompts.messages, QStringList{linktexts::kDeviceConnected});
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
