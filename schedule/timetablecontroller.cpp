#include "schedule/timetablecontroller.h"

#include "control/headcommands.h"
#include "schedule/form2.h"
#include "schedule/schedulescan.h"
#include "schedule/scheduletexts.h"
#include "schedule/settingsfiles.h"
#include "schedule/timetable.h"
#include "ui/prompt.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kCruiseDelayMs = 1000;

QTimer *delayTimer(const QString &name, QObject *parent)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(kCruiseDelayMs);
    return timer;
}

} // namespace

TimetableController::TimetableController(HeadCommands &commands, const QString &dataDir,
                                         const QString &fallbackDir, TimetableControls controls,
                                         QObject *parent)
    : QObject(parent), m_commands(commands), m_dataDir(dataDir), m_fallbackDir(fallbackDir),
      m_controls(controls)
{
    CommandApply_3定时1000 = delayTimer(QStringLiteral("CommandApply_3定时1000"), this);
    CommandApply_5定时1000 = delayTimer(QStringLiteral("CommandApply_5定时1000"), this);
    connect(CommandApply_3定时1000, &QTimer::timeout, this,
            &TimetableController::CommandApply_3定时1000_Timer);
    connect(CommandApply_5定时1000, &QTimer::timeout, this,
            &TimetableController::CommandApply_5定时1000_Timer);

    connect(m_controls.rows, &QListWidget::doubleClicked, this,
            [this](const QModelIndex &index) { 定时配置_DblClick(index.row()); });
    // Enter opens the editor on the current row, so the keyboard reaches it too.
    m_controls.rows->installEventFilter(this);
    connect(m_controls.help, &QPushButton::clicked, this, &TimetableController::定时配置说明_Click);
}

TimetableController::~TimetableController() = default;

bool TimetableController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_controls.rows && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            m_controls.rows->currentRow() >= 0) {
            定时配置_DblClick(m_controls.rows->currentRow());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QListWidgetItem *TimetableController::row(int n) const
{
    return m_controls.rows->item(n);
}

void TimetableController::定时配置_DblClick(int n)
{
    if (!row(n))
        return;
    m_controls.Shuangjihang = static_cast<qint16>(n);
    if (!m_editor) {
        m_editor = std::make_unique<Form2>(m_store);
        connect(m_editor.get(), &Form2::confirmed, this, &TimetableController::退出配置_Confirmed);
    }
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void TimetableController::定时配置说明_Click()
{
    prompt::show(m_controls.window, scheduletexts::kTimetableHelpMessage);
}

void TimetableController::退出配置_Confirmed()
{
    const qint16 n = m_controls.Shuangjihang;
    QListWidgetItem *item = row(n);
    if (!m_editor || !item)
        return;
    // Rewriting the row in place leaves every other row and its selection as it was.
    item->setText(
        schedule::rowText(n, m_editor->onTime(), m_editor->offTime(), m_editor->cruiseWord()));
    m_editor->StoreSlotTimes(n);
    item->setSelected(true);
}

void TimetableController::ScheduleScan(const QString &time)
{
    const auto firings = schedule::scanSlots(
        time, m_store,
        [this](int n) {
            const QListWidgetItem *item = row(n);
            return item && item->isSelected();
        },
        [this](int n) {
            const QListWidgetItem *item = row(n);
            return item ? item->text() : QString();
        });
    for (const schedule::SlotFiring &firing : firings) {
        XunhangHao = static_cast<qint16>(firing.pattern);
        if (firing.lampOn)
            TimetableLampOn();
        else
            TimetableLampOff();
    }
}

void TimetableController::startOnce(QTimer *timer)
{
    // start() would restart a running timer and push its tick a second further away.
    if (!timer->isActive())
        timer->start();
}

void TimetableController::TimetableLampOn()
{
    // Always the frame form: the angle-control box only concerns the operator's lamp buttons.
    m_commands.SendLampFrames(true);
    startOnce(CommandApply_3定时1000);
}

void TimetableController::TimetableLampOff()
{
    m_commands.SendLampFrames(false);
    startOnce(CommandApply_5定时1000);
}

void TimetableController::CommandApply_3定时1000_Timer()
{
    m_commands.SendTimetableCruiseStart(XunhangHao);
    CommandApply_3定时1000->stop();
}

void TimetableController::CommandApply_5定时1000_Timer()
{
    m_commands.SendCruiseStop(XunhangHao);
    CommandApply_5定时1000->stop();
}

QString TimetableController::readPath(QString (*fileIn)(const QString &dir)) const
{
    return schedule::readablePath(fileIn(m_dataDir),
                                  m_fallbackDir.isEmpty() ? QString() : fileIn(m_fallbackDir));
}

void TimetableController::LoadDeviceIp()
{
    if (const auto ip = schedule::readDeviceIp(readPath(schedule::deviceIpPath)))
        m_controls.deviceIp->setText(*ip);
}

void TimetableController::LoadTimetableFlags()
{
    const QList<bool> flags = schedule::readFlags(readPath(schedule::flagsPath));
    for (int n = 0; n < flags.size() && row(n); ++n)
        row(n)->setSelected(flags[n]);
}

void TimetableController::LoadTimetableRows()
{
    const QList<schedule::FileLine> rows = schedule::readRows(readPath(schedule::rowsPath));
    for (int n = 0; n < rows.size() && row(n); ++n) {
        // A line that could not be read leaves its row as designed; the rows after it still load.
        if (rows[n])
            row(n)->setText(*rows[n]);
    }
}

void TimetableController::remember(const schedule::SaveResult &result)
{
    if (!result.ok)
        m_saveFailures.append(result.message);
}

void TimetableController::SaveDeviceIp()
{
    remember(
        schedule::writeDeviceIp(schedule::deviceIpPath(m_dataDir), m_controls.deviceIp->text()));
}

void TimetableController::SaveTimetableRows()
{
    QStringList rows;
    for (int n = 0; n < m_controls.rows->count(); ++n)
        rows.append(row(n)->text());
    remember(schedule::writeRows(schedule::rowsPath(m_dataDir), rows));
}

void TimetableController::SaveTimetableFlags()
{
    QList<bool> flags;
    for (int n = 0; n < m_controls.rows->count(); ++n)
        flags.append(row(n)->isSelected());
    remember(schedule::writeFlags(schedule::flagsPath(m_dataDir), flags));
}

void TimetableController::reportSaveFailures()
{
    if (m_saveFailures.isEmpty())
        return;
    // Taken before the message: the exit goes on whatever happens while it is up.
    const QString text = m_saveFailures.join(QLatin1Char('\n'));
    m_saveFailures.clear();
    prompt::show(m_controls.window, text);
}

void TimetableController::closeEditor()
{
    if (m_editor)
        m_editor->close();
}
