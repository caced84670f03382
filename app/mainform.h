#pragma once

#include "control/operatoraction.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class AngleControl;
class ByteBox;
class ChoiceBox;
class CruiseControl;
class FrmAbout;
class ConsoleModel;
class JournalRecorder;
class HoldButton;
class JogControl;
class JogKeys;
class StickControl;
class JournalWindow;
class LampControl;
class PresetController;
class ReceivePath;
class SendPath;
class TimetableController;
class LinkController;
class Links;
class LogBox;
class LogText;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

// The console's one long-lived window: it lays out every control, runs the start-up sequence,
// keeps the clock, and hands the operator's actions to the link and the head controls.
class MainForm : public QWidget
{
    Q_OBJECT
public:
    // programDir is where the pictures are read; empty means the directory of the executable.
    // dataDir is where the settings files, the preset store and ports/ are; empty means the
    // program directory.
    explicit MainForm(const QString &programDir = {}, const QString &dataDir = {},
                      QWidget *parent = nullptr);
    ~MainForm() override;

    QString programDir() const { return m_programDir; }
    LinkController &link() { return *m_link; }
    Links &links() { return *m_links; }
    LogText &log() { return *m_log; }
    SendPath &send() { return *m_send; }
    ConsoleModel &model() { return *m_model; }
    JogControl &jog() { return *m_jog; }
    CruiseControl &cruise() { return *m_cruise; }
    AngleControl &angles() { return *m_angles; }
    ReceivePath &receive() { return *m_receive; }
    TimetableController &timetable() { return *m_timetable; }
    PresetController &presets() { return *m_presets; }
    StickControl &stick() { return *m_stick; }
    JournalRecorder &journal() { return *m_journal; }
    // Null until the journal window is first opened.
    JournalWindow *journalWindow() const;

    // Where the clock tick reads the date and time; an empty clock is the wall clock.
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock);
    // The clock's reading: what the boxes, the timetable and the journal go by.
    QDateTime now() const;
    // The 100 ms clock tick: date and time boxes, then the timetable scan.
    void TmrDateTime_Timer();

    // The system asks the console to end (a signal, the session manager): what the exit button
    // does to the links, the settings files and the journal, but with no message waiting for OK,
    // since nobody may be there to answer it. A file not saved is named in the journal and on
    // standard error, and the status is then 1. why is the cause of the journal's exit entry.
    void endOnRequest(const QString &why);

signals:
    // The links are closed and the settings saved: the program ends now, with this status.
    void exitRequested(int status);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildTitle();
    void buildPortRegion();
    void buildLogRegion();
    void buildTimetableRegion();
    void buildControlRegion();
    void buildBottomRegion();
    void Form_Load();
    void CentreWindow();

    void CmdExit_Click();
    // Closes the links and saves the three settings files, each told to the journal; returns
    // the messages of those that could not be saved.
    QStringList saveForExit();
    // Closes the editor, writes the journal's exit entry and asks for the end.
    void finishExit(const QString &why);
    void CmdAbout_Click();
    void CmdClearReceive_Click();
    // The joystick buttons' and hotkeys' actions, each through its control's own handler.
    void runAction(OperatorAction action);
    // The device number one entry up or down the list, chosen as from the list; nothing past
    // either end.
    void stepDevice(int step);
    void showHotkeys();
    // The journal button and Ctrl+J: the journal window with today's entries.
    void 运行记录_Click();

    QString m_programDir;
    QString m_dataDir;
    std::unique_ptr<Links> m_links;
    LogText *m_log;

    QLabel *LblTitle;
    QGroupBox *FramePort;
    QGroupBox *显示区;
    QGroupBox *Frame1;
    QGroupBox *配置;
    QGroupBox *瞎搞区;

    QCheckBox *串口;
    QCheckBox *网络;
    QLabel *LblPort;
    ChoiceBox *ComboComm;
    QPushButton *搜索;
    QLabel *IP地址;
    QLineEdit *设备IP;
    QPushButton *连接And断开连接;
    QLabel *ImgSwitchOff;
    QLabel *ImgSwitchOn;
    QCheckBox *角度控制;

    QLabel *Label3;
    LogBox *TxtDisplay;
    QPushButton *CmdClearReceive;

    QListWidget *定时配置;
    QPushButton *定时配置说明;

    ByteBox *探照灯;
    ChoiceBox *巡航模式;
    ByteBox *水平速度;
    ByteBox *垂直速度;
    QLineEdit *水平角度;
    QLineEdit *垂直角度;
    QPushButton *确认发送角度;
    QPushButton *查询位置;
    QPushButton *停止运动;
    QPushButton *开;
    QPushButton *关;
    HoldButton *左上;
    HoldButton *上;
    HoldButton *右上;
    HoldButton *右;
    HoldButton *右下;
    HoldButton *下;
    HoldButton *左下;
    HoldButton *左;
    // The eight direction buttons in the scan's order (protocol::kScanOrder).
    std::array<HoldButton *, 8> m_pad{};
    QPushButton *中;
    QPushButton *设置预置位;
    QPushButton *调用预置位;

    QPushButton *CmdAbout;
    QPushButton *CmdExit;
    QPushButton *运行记录;
    QLabel *定时下一步;
    QLineEdit *TxtDate;
    QLineEdit *TxtTime;
    QLineEdit *TxtStatus;
    QLabel *Image1;

    QTimer *TmrDateTime;
    Clock m_clock;
    TimetableController *m_timetable = nullptr;
    // Set once the exit has begun, so that a second press while the button's message is up does
    // nothing; a request of the system then ends the program without waiting for OK.
    bool m_exiting = false;
    int m_exitStatus = 0;

    LinkController *m_link = nullptr;
    SendPath *m_send = nullptr;
    ConsoleModel *m_model = nullptr;
    JogControl *m_jog = nullptr;
    LampControl *m_lamp = nullptr;
    CruiseControl *m_cruise = nullptr;
    AngleControl *m_angles = nullptr;
    ReceivePath *m_receive = nullptr;
    PresetController *m_presets = nullptr;
    QPointer<FrmAbout> m_about;
    JournalRecorder *m_journal = nullptr;
    QPointer<JournalWindow> m_journalWindow;
    // Last, so that they go first: no key or device is read while the window comes apart.
    std::unique_ptr<JogKeys> m_keys;
    std::unique_ptr<StickControl> m_stick;
};
