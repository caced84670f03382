#pragma once

#include "schedule/settingsfiles.h"
#include "schedule/timetabledata.h"

#include <QObject>
#include <QString>

#include <memory>

class Form2;
class ConsoleModel;
class SendPath;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QWidget;

// The main window's controls the timetable works on.
struct TimetableControls
{
    QWidget *window = nullptr;   // the main window: parent of the messages
    QListWidget *rows = nullptr; // 定时配置: shows row n of the timetable, selected = enabled
    QPushButton *help = nullptr; // 定时配置说明
    QLabel *next = nullptr;      // the line under the list: what the timetable does next
};

// The timetable behind the main window: opens the editor on a double-clicked row and writes the
// confirmed row back, switches the lamp and the cruise when the clock reaches an enabled slot,
// and reads and writes the two timetable files. The rows and the slot store are TimetableData;
// the list only shows them and hands the operator's selections back.
class TimetableController : public QObject
{
    Q_OBJECT
public:
    // settings says where 321.ini and 322.ini are read and written.
    TimetableController(const ConsoleModel &model, SendPath &send, schedule::SettingsPlace settings,
                        TimetableControls controls, QObject *parent = nullptr);
    ~TimetableController() override;

    schedule::TimetableData &data() { return m_data; }
    schedule::SlotStore &slotStore() { return m_data.slotStore(); }
    // Null until the first double-click; then kept until the controller goes.
    Form2 *editor() const { return m_editor.get(); }

    // The row last double-clicked: the slot the editor writes.
    qint16 Shuangjihang = 0;
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

    void LoadTimetableFlags();
    void LoadTimetableRows();
    schedule::SaveResult SaveTimetableRows();
    schedule::SaveResult SaveTimetableFlags();
    void closeEditor();

signals:
    // The clock reached the on (lampOn) or off time of slot n; pattern is its row's cruise.
    void slotFired(int slot, bool lampOn, int pattern);
    // A cruise delay timer ticked: the cruise of the slot that fired a second ago starts
    // (start) or stops.
    void cruiseDelayed(int slot, bool start, int pattern);
    // Loading a timetable file skipped the lines numbered (from 1); effect says what became of
    // their rows.
    void linesUnread(const QString &path, const QList<int> &lines, const QString &effect);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidgetItem *item(int n) const;
    // The list follows the data, and the operator's changes to the list go to the data.
    void showRow(int n);
    void listSelectionChanged();
    void listItemChanged(QListWidgetItem *changed);
    // Starts the timer unless it runs; true when this call started it.
    static bool startOnce(QTimer *timer);
    // The marks of row n and the line under the list follow the data and the slot store.
    void showMarks(int n);
    void showNext();

    const ConsoleModel &m_model;
    SendPath &m_send;
    schedule::SettingsPlace m_settings;
    TimetableControls m_controls;
    // Declared before the editor, which writes to its slot store, so it goes after it.
    schedule::TimetableData m_data;
    std::unique_ptr<Form2> m_editor;
    QTimer *CommandApply_3定时1000;
    QTimer *CommandApply_5定时1000;
    // Set while the list is brought in line with the data, so that does not come back.
    bool m_showing = false;
    // The slot firing now, and the slots whose firing started each delay timer: what the
    // journal names as the cause of their commands.
    int m_firingSlot = 0;
    int m_onDelaySlot = 0;
    int m_offDelaySlot = 0;
    // The clock text of the last scan, for the line under the list.
    QString m_time;
};
