#include "app/mainform.h"

#include "app/aboutform.h"
#include "app/apptexts.h"
#include "app/linkcontroller.h"
#include "control/anglecontrol.h"
#include "control/consolemodel.h"
#include "control/controltexts.h"
#include "control/cruisecontrol.h"
#include "control/jogcontrol.h"
#include "control/jogkeys.h"
#include "control/joysticksettings.h"
#include "control/lampcontrol.h"
#include "control/stickcontrol.h"
#include "journal/journalwindow.h"
#include "journal/recorder.h"
#include "link/links.h"
#include "link/linktexts.h"
#include "link/logtext.h"
#include "link/receivepath.h"
#include "link/sendpath.h"
#include "presets/presetcontroller.h"
#include "presets/presettable.h"
#include "schedule/settingsfiles.h"
#include "schedule/timetable.h"
#include "schedule/timetablecontroller.h"
#include "ui/centring.h"
#include "ui/choicebox.h"
#include "ui/holdbutton.h"
#include "ui/logbox.h"
#include "ui/prompt.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// The link indicator: a lit green lamp while a link is open, a dark one otherwise.
QPixmap switchIcon(bool on)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.setBrush(on ? QColor(40, 200, 60) : QColor(120, 120, 120));
    painter.drawEllipse(QRectF(3, 3, 26, 26));
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? QColor(200, 255, 200) : QColor(170, 170, 170));
    painter.drawEllipse(QRectF(9, 8, 8, 6));
    return pixmap;
}

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton *button(const QString &name, const QString &caption, QWidget *parent, QRect geometry)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setGeometry(geometry);
    return b;
}

QLabel *label(const QString &name, const QString &caption, QWidget *parent, QRect geometry)
{
    auto *l = named(new QLabel(caption, parent), name);
    l->setGeometry(geometry);
    return l;
}

template <typename Box> Box *choiceBox(const QString &name, QWidget *parent, QRect geometry)
{
    auto *box = named(new Box(parent), name);
    box->setGeometry(geometry);
    box->setAccessibleName(name);
    return box;
}

// Date, time and status boxes: read-only text on the button face.
QLineEdit *faceBox(const QString &name, QWidget *parent, QRect geometry, bool centred)
{
    auto *box = named(new QLineEdit(parent), name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setGeometry(geometry);
    box->setAccessibleName(name);
    if (centred)
        box->setAlignment(Qt::AlignCenter);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    box->setPalette(p);
    return box;
}

} // namespace

MainForm::MainForm(const QString &programDir, const QString &dataDir, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      m_programDir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir),
      m_dataDir(dataDir.isEmpty() ? m_programDir : dataDir),
      m_links(std::make_unique<Links>(m_dataDir)), m_log(new LogText(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(apptexts::kWindowTitle);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(p);
    setAutoFillBackground(true);

    // Before the boxes, which hand it every value they show from the first one on.
    m_model = new ConsoleModel(this);
    buildTitle();
    buildPortRegion();
    buildLogRegion();
    buildTimetableRegion();
    buildControlRegion();
    buildBottomRegion();

    // What an operator left beside the program (copied from an older installation) is read
    // while the data directory has none of its own; saving always writes the data directory.
    const QString besideProgram = m_dataDir == m_programDir ? QString() : m_programDir;
    const schedule::SettingsPlace settings{m_dataDir, besideProgram};
    m_link = new LinkController(LinkControls{串口, 网络, ComboComm, 搜索, 设备IP, 连接And断开连接,
                                             ImgSwitchOn, ImgSwitchOff, TxtStatus, 探照灯},
                                *m_links, settings, this);

    m_send = new SendPath(*m_links, *m_log, this);
    connect(m_send, &SendPath::textRefused, this, [this](const QString &command) {
        prompt::show(this, linktexts::kTextRefused + command);
    });
    m_jog = new JogControl(*m_model, *m_send, m_pad, 停止运动, this);
    m_receive = new ReceivePath(m_links->all(), *m_log, this);
    m_angles = new AngleControl(
        *m_model, *m_send,
        AngleControls{水平角度, 垂直角度, 水平速度, 垂直速度, 确认发送角度, 查询位置}, this);
    m_lamp = new LampControl(*m_model, *m_send, 开, 关, 角度控制, this);
    CruiseControls cruise{巡航模式, 水平速度, 垂直速度, 中, {}};
    std::copy(m_pad.begin(), m_pad.end(), cruise.directions.begin());
    m_cruise = new CruiseControl(*m_model, *m_send, *m_links, cruise, this);
    m_presets = new PresetController(
        *m_model, *m_send, 探照灯,
        PresetStore(presettable::filePathIn(m_dataDir),
                    besideProgram.isEmpty() ? QString() : presettable::filePathIn(besideProgram)),
        this);
    connect(设置预置位, &QPushButton::clicked, m_presets, &PresetController::设置预置位_Click);
    connect(调用预置位, &QPushButton::clicked, m_presets, &PresetController::调用预置位_Click);

    m_timetable =
        new TimetableController(*m_model, *m_send, settings,
                                TimetableControls{this, 定时配置, 定时配置说明, 定时下一步}, this);

    // Before anything of the start-up happens, so the journal hears all of it.
    m_journal = new JournalRecorder(
        m_dataDir, [this] { return now(); }, this);
    connect(m_send, &SendPath::sent, m_journal, &JournalRecorder::sent);
    connect(m_receive, &ReceivePath::chunkClassified, m_journal, &JournalRecorder::chunk);
    connect(m_jog, &JogControl::jogStarted, m_journal, &JournalRecorder::jogStarted);
    connect(m_jog, &JogControl::jogEnded, m_journal, &JournalRecorder::jogEnded);
    connect(m_link, &LinkController::linkChanged, m_journal, &JournalRecorder::linkChanged);
    connect(m_timetable, &TimetableController::slotFired, m_journal, &JournalRecorder::slotFired);
    connect(m_timetable, &TimetableController::cruiseDelayed, m_journal,
            &JournalRecorder::cruiseDelayed);
    connect(m_timetable, &TimetableController::linesUnread, m_journal,
            &JournalRecorder::linesUnread);
    connect(m_presets, &PresetController::labelsSaved, m_journal, &JournalRecorder::labelsSaved);
    m_journal->started(m_dataDir);
    connect(运行记录, &QPushButton::clicked, this, &MainForm::运行记录_Click);
    auto *journalKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_J), this);
    journalKey->setObjectName(QStringLiteral("运行记录快捷键"));
    connect(journalKey, &QShortcut::activated, this, &MainForm::运行记录_Click);

    const auto act = [this](OperatorAction action) { runAction(action); };
    m_keys = std::make_unique<JogKeys>(*m_jog, this, act);
    m_stick = std::make_unique<StickControl>(
        *m_jog, qEnvironmentVariable("CORVANE_JOYSTICK"),
        m_dataDir + u'/' + joysticksettings::kFileName,
        StickHooks{
            // Driven while the window is on the screen, also behind a video window that
            // is the active one; not while it is minimized or a message waits for OK.
            [this] { return isVisible() && !isMinimized() && !QApplication::activeModalWidget(); },
            [this] { return m_cruise->cruising(); }, act,
            [this](const QString &notice) { TxtStatus->setText(notice); }});
    showHotkeys();

    connect(CmdExit, &QPushButton::clicked, this, &MainForm::CmdExit_Click);
    connect(CmdAbout, &QPushButton::clicked, this, &MainForm::CmdAbout_Click);
    connect(CmdClearReceive, &QPushButton::clicked, this, &MainForm::CmdClearReceive_Click);

    TmrDateTime = named(new QTimer(this), QStringLiteral("TmrDateTime"));
    TmrDateTime->setTimerType(Qt::PreciseTimer);
    TmrDateTime->setInterval(100);
    connect(TmrDateTime, &QTimer::timeout, this, &MainForm::TmrDateTime_Timer);

    Form_Load();
    TmrDateTime->start();
    // Told once the window is up, not before it.
    if (const QString problem = m_stick->settingsProblem(); !problem.isEmpty())
        QTimer::singleShot(0, this, [this, problem] { prompt::show(this, problem); });
    // The date and the time are there from the first paint, not a tick later.
    QTimer::singleShot(0, this, &MainForm::TmrDateTime_Timer);
}

MainForm::~MainForm() = default;

void MainForm::buildTitle()
{
    LblTitle = label(QStringLiteral("LblTitle"), QStringLiteral("Corvane"), this,
                     twips::rect(5880, 0, 3915, 495));
    LblTitle->setAlignment(Qt::AlignCenter);
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(24);
    LblTitle->setFont(font);
    QPalette p = LblTitle->palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    LblTitle->setPalette(p);
}

void MainForm::buildPortRegion()
{
    FramePort = named(new QGroupBox(QStringLiteral("通讯设置"), this), QStringLiteral("FramePort"));
    FramePort->setGeometry(twips::rect(120, 480, 3855, 3135));
    QWidget *f = FramePort;

    串口 = named(new QCheckBox(QStringLiteral("串口通讯"), f), QStringLiteral("串口"));
    串口->setGeometry(twips::rect(240, 360, 1575, 315));
    网络 = named(new QCheckBox(QStringLiteral("网络通讯"), f), QStringLiteral("网络"));
    网络->setGeometry(twips::rect(2040, 360, 1575, 315));

    LblPort = label(QStringLiteral("LblPort"), QStringLiteral("端口号"), f,
                    twips::rect(240, 855, 735, 255));
    ComboComm =
        choiceBox<ChoiceBox>(QStringLiteral("ComboComm"), f, twips::rect(1020, 795, 1215, 345));
    搜索 = button(QStringLiteral("搜索"), QStringLiteral("重新搜索串口"), f,
                  twips::rect(2340, 765, 1395, 405));

    IP地址 = label(QStringLiteral("IP地址"), QStringLiteral("IP 地址"), f,
                   twips::rect(240, 1395, 735, 255));
    设备IP = named(new QLineEdit(f), QStringLiteral("设备IP"));
    设备IP->setGeometry(twips::rect(1020, 1335, 2715, 345));
    设备IP->setAccessibleName(QStringLiteral("设备IP"));

    连接And断开连接 = button(QStringLiteral("连接And断开连接"), linktexts::kConnect, f,
                             twips::rect(1020, 1905, 1575, 480));
    ImgSwitchOff =
        label(QStringLiteral("ImgSwitchOff"), QString(), f, twips::rect(2880, 1905, 480, 480));
    ImgSwitchOff->setPixmap(switchIcon(false));
    ImgSwitchOff->setAccessibleName(QStringLiteral("未连接"));
    ImgSwitchOn =
        label(QStringLiteral("ImgSwitchOn"), QString(), f, twips::rect(2880, 1905, 480, 480));
    ImgSwitchOn->setPixmap(switchIcon(true));
    ImgSwitchOn->setAccessibleName(QStringLiteral("已连接"));

    角度控制 =
        named(new QCheckBox(QStringLiteral("需要角度控制，请选择"), f), QStringLiteral("角度控制"));
    角度控制->setGeometry(twips::rect(240, 2640, 3495, 315));
}

void MainForm::buildLogRegion()
{
    显示区 = named(new QGroupBox(this), QStringLiteral("显示区"));
    显示区->setGeometry(twips::rect(120, 3720, 3855, 3255));
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("提示区"), 显示区,
                   twips::rect(240, 180, 1095, 255));
    TxtDisplay = named(new LogBox(*m_log, 显示区), QStringLiteral("TxtDisplay"));
    TxtDisplay->setGeometry(twips::rect(240, 480, 3375, 2175));
    TxtDisplay->setAccessibleName(QStringLiteral("提示区"));
    CmdClearReceive = button(QStringLiteral("CmdClearReceive"), QStringLiteral("清空提示区"),
                             显示区, twips::rect(2220, 2730, 1395, 405));
}

void MainForm::buildTimetableRegion()
{
    Frame1 = named(new QGroupBox(QStringLiteral("定时配置区"), this), QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(4080, 480, 6975, 6495));
    定时配置 = named(new QListWidget(Frame1), QStringLiteral("定时配置"));
    定时配置->setGeometry(twips::rect(120, 300, 6735, 5490));
    定时配置->setSelectionMode(QAbstractItemView::MultiSelection);
    定时配置->setAccessibleName(QStringLiteral("定时配置"));
    for (int n = 0; n < schedule::kRowCount; ++n)
        定时配置->addItem(schedule::designRow(n));
    定时配置说明 = button(QStringLiteral("定时配置说明"), QStringLiteral("定时配置说明"), Frame1,
                          twips::rect(5040, 5910, 1815, 435));
    // What the timetable does next, in the room left of the help button.
    定时下一步 =
        label(QStringLiteral("定时下一步"), QString(), Frame1, twips::rect(120, 5820, 4830, 615));
    定时下一步->setWordWrap(true);
    定时下一步->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void MainForm::buildControlRegion()
{
    配置 = named(new QGroupBox(QStringLiteral("设备控制区"), this), QStringLiteral("配置"));
    配置->setGeometry(twips::rect(11160, 480, 4215, 6495));
    QWidget *f = 配置;

    const auto caption = [f](int index, const QString &text, int top) {
        label(QStringLiteral("Lab3_%1").arg(index), text, f, twips::rect(240, top + 45, 1035, 255));
    };
    const int rows[] = {285, 660, 1035, 1410, 1785, 2160, 2535, 2910};

    caption(10, QStringLiteral("设备编号："), rows[0]);
    探照灯 = choiceBox<ByteBox>(QStringLiteral("探照灯"), f, twips::rect(1320, rows[0], 1095, 330));
    for (int n = 0; n <= 255; ++n)
        探照灯->addItem(n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n));

    caption(11, QStringLiteral("巡航模式："), rows[1]);
    巡航模式 =
        choiceBox<ChoiceBox>(QStringLiteral("巡航模式"), f, twips::rect(1320, rows[1], 1395, 330));
    巡航模式->addItems(
        {QStringLiteral("巡航一"), QStringLiteral("巡航二"), QStringLiteral("巡航三")});

    caption(12, QStringLiteral("水平速度："), rows[2]);
    水平速度 =
        choiceBox<ByteBox>(QStringLiteral("水平速度"), f, twips::rect(1320, rows[2], 1095, 330));
    caption(13, QStringLiteral("垂直速度："), rows[3]);
    垂直速度 =
        choiceBox<ByteBox>(QStringLiteral("垂直速度"), f, twips::rect(1320, rows[3], 1095, 330));
    // The boxes hand the model every value they come to show, typed, chosen or set from code,
    // before any handler of theirs runs.
    connect(探照灯, &QComboBox::editTextChanged, m_model,
            [this] { m_model->setDevice(探照灯->value()); });
    connect(巡航模式, &QComboBox::editTextChanged, m_model,
            [this](const QString &text) { m_model->setPattern(controltexts::patternOf(text)); });
    connect(水平速度, &QComboBox::editTextChanged, m_model,
            [this](const QString &text) { m_model->setPanSpeed(水平速度->value(), text); });
    connect(垂直速度, &QComboBox::editTextChanged, m_model,
            [this](const QString &text) { m_model->setTiltSpeed(垂直速度->value(), text); });
    m_model->setDevice(探照灯->value());
    m_model->setPattern(controltexts::patternOf(巡航模式->currentText()));
    for (ByteBox *speed : {水平速度, 垂直速度}) {
        for (int n = 5; n <= 99; ++n)
            speed->addItem(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
        speed->setValue(QStringLiteral("00"));
    }

    caption(0, QStringLiteral("水平角度："), rows[4]);
    水平角度 = named(new QLineEdit(QStringLiteral("60"), f), QStringLiteral("水平角度"));
    水平角度->setGeometry(twips::rect(1320, rows[4], 795, 330));
    水平角度->setAccessibleName(QStringLiteral("水平角度"));
    确认发送角度 = button(QStringLiteral("确认发送角度"), QStringLiteral("确认发送角度"), f,
                          twips::rect(2280, rows[4] - 15, 1695, 360));

    caption(1, QStringLiteral("垂直角度："), rows[5]);
    垂直角度 = named(new QLineEdit(QStringLiteral("60"), f), QStringLiteral("垂直角度"));
    垂直角度->setGeometry(twips::rect(1320, rows[5], 795, 330));
    垂直角度->setAccessibleName(QStringLiteral("垂直角度"));
    查询位置 = button(QStringLiteral("查询位置"), QStringLiteral("位置查询"), f,
                      twips::rect(2280, rows[5] - 15, 1695, 360));

    caption(14, QStringLiteral("灯光："), rows[6]);
    开 =
        button(QStringLiteral("开"), QStringLiteral("开"), f, twips::rect(1320, rows[6], 615, 360));
    关 =
        button(QStringLiteral("关"), QStringLiteral("关"), f, twips::rect(2010, rows[6], 615, 360));
    停止运动 = button(QStringLiteral("停止运动"), QStringLiteral("停止运动"), f,
                      twips::rect(2760, rows[6], 1215, 360));

    设置预置位 = button(QStringLiteral("设置预置位"), QStringLiteral("设置预置位"), f,
                        twips::rect(360, rows[7], 1695, 360));
    调用预置位 = button(QStringLiteral("调用预置位"), QStringLiteral("调用预置位"), f,
                        twips::rect(2280, rows[7], 1695, 360));

    // The direction pad: 840-twip squares on a 3 x 3 grid, the centre holding the cruise button.
    const int columns[] = {360, 1680, 3000};
    const int padRows[] = {3360, 4440, 5520};
    const auto arrow = [&](const QString &name, const QString &glyph, int column, int row) {
        auto *b = named(new HoldButton(glyph, f), name);
        b->setGeometry(twips::rect(columns[column], padRows[row], 840, 840));
        QFont font = b->font();
        font.setPointSize(20);
        b->setFont(font);
        return b;
    };
    for (std::size_t i = 0; i < m_pad.size(); ++i) {
        // Each direction at its compass place around the centre.
        const quint8 bits = protocol::directionBits(protocol::kScanOrder[i]);
        const int column = bits & protocol::kLeftBit ? 0 : bits & protocol::kRightBit ? 2 : 1;
        const int row = bits & protocol::kUpBit ? 0 : bits & protocol::kDownBit ? 2 : 1;
        m_pad[i] = arrow(protocol::directionName(protocol::kScanOrder[i]),
                         protocol::directionArrow(protocol::kScanOrder[i]), column, row);
    }
    左上 = m_pad[0];
    上 = m_pad[1];
    右上 = m_pad[2];
    右 = m_pad[3];
    右下 = m_pad[4];
    下 = m_pad[5];
    左下 = m_pad[6];
    左 = m_pad[7];
    中 = button(QStringLiteral("中"), QStringLiteral("自动  巡航"), f,
                twips::rect(1560, 4440, 1095, 855));
}

void MainForm::buildBottomRegion()
{
    瞎搞区 = named(new QGroupBox(this), QStringLiteral("瞎搞区"));
    瞎搞区->setGeometry(twips::rect(120, 6960, 15255, 1215));
    QWidget *f = 瞎搞区;
    CmdAbout = button(QStringLiteral("CmdAbout"), QStringLiteral("关于"), f,
                      twips::rect(240, 375, 1095, 495));
    CmdExit = button(QStringLiteral("CmdExit"), QStringLiteral("退出程序"), f,
                     twips::rect(1455, 375, 1335, 495));
    运行记录 = button(QStringLiteral("运行记录"), QStringLiteral("运行记录"), f,
                      twips::rect(3000, 840, 1575, 345));
    运行记录->setToolTip(QStringLiteral("运行记录 (Ctrl+J)"));
    TxtDate = faceBox(QStringLiteral("TxtDate"), f, twips::rect(3000, 420, 1575, 390), true);
    TxtTime = faceBox(QStringLiteral("TxtTime"), f, twips::rect(4680, 420, 1335, 390), true);
    TxtStatus = faceBox(QStringLiteral("TxtStatus"), f, twips::rect(6120, 420, 4935, 390), false);
    Image1 = label(QStringLiteral("Image1"), QString(), f, twips::rect(11280, 120, 3855, 1005));
    Image1->setScaledContents(true);
    Image1->setAccessibleName(QStringLiteral("Corvane"));
}

void MainForm::CentreWindow()
{
    centreOnScreen(this);
}

void MainForm::Form_Load()
{
    // The window is 15555 x 8670 twips with its frame; this is the client area inside it.
    setFixedSize(twips::size(15435, 8265));
    CentreWindow();
    const QString logo = m_programDir + apptexts::kLogoPath;
    Image1->setPixmap(QPixmap(logo));
    // The window does well without it, but whoever installed the console should hear that the
    // pictures are not where it looks.
    if (Image1->pixmap().isNull())
        qWarning("corvane: no picture at %s", qUtf8Printable(logo));
    m_link->FindSerialPorts();
    m_link->LoadDeviceIp();
    m_link->LinkOn = false;
    m_link->InitSerialPort(ComboComm->currentText(), SerialSettings{});
    ImgSwitchOn->hide();
    ImgSwitchOff->show();
    m_link->setSerialChecked(true);
    m_link->setTcpChecked(false);
    设备IP->setEnabled(false);
    ComboComm->setEnabled(true);
    TxtDisplay->setEnabled(false);
    探照灯->choose(0);
    巡航模式->choose(2);
    m_timetable->LoadTimetableFlags();
    m_timetable->LoadTimetableRows();
    m_angles->PanAngleText = QStringLiteral("060");
    m_angles->TiltAngleText = QStringLiteral("060");
}

void MainForm::closeEvent(QCloseEvent *event)
{
    // The window manager's close and Alt+F4 do nothing: the exit button is the only way out,
    // and it saves the settings on the way.
    event->ignore();
}

void MainForm::TmrDateTime_Timer()
{
    // One reading for both boxes, so the date and the time never come from different days.
    const QDateTime now = this->now();
    const QString date = now.toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = now.toString(QStringLiteral("HH:mm:ss"));
    // Rewriting an unchanged box would still repaint it ten times a second.
    if (TxtDate->text() != date)
        TxtDate->setText(date);
    if (TxtTime->text() != time)
        TxtTime->setText(time);
    m_timetable->ScheduleScan(time);
}

void MainForm::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QDateTime MainForm::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void MainForm::CmdExit_Click()
{
    if (m_exiting)
        return;
    m_exiting = true;
    // A file that could not be written is told once; the program ends all the same.
    if (const QStringList failures = saveForExit(); !failures.isEmpty())
        prompt::show(this, failures.join(QLatin1Char('\n')));
    finishExit({});
}

void MainForm::endOnRequest(const QString &why)
{
    // The exit button's message is up: the files are saved, and nobody need answer it.
    if (m_exiting) {
        emit exitRequested(m_exitStatus);
        return;
    }
    m_exiting = true;
    const QStringList failures = saveForExit();
    for (const QString &failure : failures)
        std::fprintf(stderr, "corvane: %s\n", qPrintable(failure));
    m_exitStatus = failures.isEmpty() ? 0 : 1;
    finishExit(why);
}

QStringList MainForm::saveForExit()
{
    m_links->closeAll();
    // No timetable scan while a message about the files may be up.
    TmrDateTime->stop();
    const schedule::SaveResult ip = m_link->SaveDeviceIp();
    const schedule::SaveResult rows = m_timetable->SaveTimetableRows();
    const schedule::SaveResult flags = m_timetable->SaveTimetableFlags();
    m_journal->settingsSaved(ip, schedule::deviceIpPath(m_dataDir));
    m_journal->settingsSaved(rows, schedule::rowsPath(m_dataDir));
    m_journal->settingsSaved(flags, schedule::flagsPath(m_dataDir));
    QStringList failures;
    for (const schedule::SaveResult &result : {ip, rows, flags}) {
        if (!result.ok)
            failures << result.message;
    }
    return failures;
}

void MainForm::finishExit(const QString &why)
{
    m_timetable->closeEditor();
    m_journal->exiting(why);
    emit exitRequested(m_exitStatus);
}

void MainForm::CmdAbout_Click()
{
    if (!m_about)
        m_about = new FrmAbout(this);
    m_about->loadPicture(m_programDir + apptexts::kAboutPicturePath);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainForm::runAction(OperatorAction action)
{
    if (const int preset = operatoraction::presetOf(action)) {
        m_presets->recall(preset);
        return;
    }
    switch (action) {
    case OperatorAction::LampOn:
        m_lamp->开_Click();
        break;
    case OperatorAction::LampOff:
        m_lamp->关_Click();
        break;
    case OperatorAction::Stop:
        m_jog->停止运动_Click();
        break;
    case OperatorAction::Cruise:
        m_cruise->中_Click();
        break;
    case OperatorAction::PreviousDevice:
        stepDevice(-1);
        break;
    case OperatorAction::NextDevice:
        stepDevice(1);
        break;
    default:
        break;
    }
}

void MainForm::stepDevice(int step)
{
    // The entries are "00" to "255" in order, so a number's entry is at its own place.
    const int next = int(探照灯->value()) + step;
    if (next >= 0 && next < 探照灯->count())
        探照灯->choose(next);
}

void MainForm::showHotkeys()
{
    const auto tip = [](QWidget *control, OperatorAction action) {
        control->setToolTip(apptexts::hotkeyTip(JogKeys::hotkeyText(action)));
    };
    tip(开, OperatorAction::LampOn);
    tip(关, OperatorAction::LampOff);
    tip(停止运动, OperatorAction::Stop);
    tip(中, OperatorAction::Cruise);
    调用预置位->setToolTip(
        apptexts::presetHotkeysTip(JogKeys::hotkeyText(operatoraction::preset(1)),
                                   JogKeys::hotkeyText(operatoraction::preset(9))));
    for (std::size_t i = 0; i < m_pad.size(); ++i)
        m_pad[i]->setToolTip(
            apptexts::holdKeysTip(JogKeys::directionKeysText(protocol::kScanOrder[i])));
}

JournalWindow *MainForm::journalWindow() const
{
    return m_journalWindow;
}

void MainForm::运行记录_Click()
{
    if (!m_journalWindow) {
        m_journalWindow = new JournalWindow(m_journal->journal(), this);
        m_journalWindow->showToday();
    }
    m_journalWindow->show();
    m_journalWindow->raise();
    m_journalWindow->activateWindow();
}

void MainForm::CmdClearReceive_Click()
{
    m_log->clear();
    m_receive->discardWaiting();
}
