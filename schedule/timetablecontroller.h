#pragma once

#include "schedule/slotstore.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class Form2;
class HeadCommands;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QWidget;

namespace schedule {
struct SaveResult;
}

// The main window's controls the timetable works on.
struct TimetableControls
{
    QWidget *window;      // the main window: parent of the messages
    QListWidget *rows;    // 定时配置: row n is slot n, selected means enabled
    QPushButton *help;    // 定时配置说明
    QLineEdit *deviceIp;  // 设备IP, kept in 123.ini
    qint16 &Shuangjihang; // the row last double-clicked: the slot the editor writes
};

// The timetable behind the main window: opens the editor on a double-clicked row and writes the
// confirmed row back, switches the lamp and the cruise when the clock reaches an enabled slot,
// and reads and writes the three settings files. The slot store lives here for the whole run.
class TimetableController : public QObject
{
    Q_OBJECT
public:
    // The settings files are kept in dataDir; while one is missing there, start-up reads the one
    // in fallbackDir (the program directory, when it is not the data directory) instead.
    TimetableController(HeadCommands &commands, const QString &dataDir, const QString &fallbackDir,
                        TimetableControls controls, QObject *parent = nullptr);
    ~TimetableController() override;

    schedule::SlotStore &slotStore() { return m_store; }
    // Null until the first double-click; then kept until the controller goes.
    Form2 *editor() const { return m_editor.get(); }

    // Cruise pattern (0 none, 1 to 3) of the slot that fired last; the delay timers read it
    // when they tick.
    qint16 XunhangHao = 0;

    void 定时配置_DblClick(int row);
    void 定时配置说明_Click();
    // The editor's "确定", after it has hidden itself.
    void 退出配置_Confirmed();

    // One scan of the clock tick over the slot store, with the time text just shown.
    void ScheduleScan(const QString &time);
    void TimetableLampOn();
    void TimetableLampOff();
    void CommandApply_3定时1000_Timer();
    void CommandApply_5定时1000_Timer();

    void LoadDeviceIp();
    void LoadTimetableFlags();
    void LoadTimetableRows();
    // Each writer remembers a failure instead of telling it, so exit shows one message.
    void SaveDeviceIp();
    void SaveTimetableRows();
    void SaveTimetableFlags();
    // One message naming every file the savers could not write, if any.
    void reportSaveFailures();
    void closeEditor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidgetItem *row(int n) const;
    static void startOnce(QTimer *timer);
    void remember(const schedule::SaveResult &result);

    // Where start-up reads the settings file of this name.
    QString readPath(QString (*fileIn)(const QString &dir)) const;

    HeadCommands &m_commands;
    QString m_dataDir;
    QString m_fallbackDir;
    TimetableControls m_controls;
    // Declared before the editor, which writes to it, so it goes after it.
    schedule::SlotStore m_store;
    std::unique_ptr<Form2> m_editor;
    QTimer *CommandApply_3定时1000;
    QTimer *CommandApply_5定时1000;
    QStringList m_saveFailures;
};
