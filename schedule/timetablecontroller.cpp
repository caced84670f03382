#include "schedule/timetablecontroller.h"

#include "control/consolemodel.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "schedule/form2.h"
#include "schedule/markdelegate.h"
#include "schedule/scheduletexts.h"
#include "schedule/slotmarks.h"
#include "schedule/timetable.h"
#include "ui/prompt.h"

#include <QKeyEvent>
#include <QLabel>
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

TimetableController::TimetableController(const ConsoleModel &model, SendPath &send,
                                         schedule::SettingsPlace settings,
                                         TimetableControls controls, QObject *parent)
    : QObject(parent), m_model(model), m_send(send), m_settings(std::move(settings)),
      m_controls(controls)
{
    CommandApply_3定时1000 = delayTimer(QStringLiteral("CommandApply_3定时1000"), this);
    CommandApply_5定时1000 = delayTimer(QStringLiteral("CommandApply_5定时1000"), this);
    connect(CommandApply_3定时1000, &QTimer::timeout, this,
            &TimetableController::CommandApply_3定时1000_Timer);
    connect(CommandApply_5定时1000, &QTimer::timeout, this,
            &TimetableController::CommandApply_5定时1000_Timer);

    QListWidget *list = m_controls.rows;
    list->setItemDelegate(new MarkDelegate(list));
    for (int n = 0; n < schedule::kRowCount; ++n)
        showRow(n);
    connect(&m_data, &schedule::TimetableData::rowChanged, this, &TimetableController::showRow);
    connect(list, &QListWidget::itemSelectionChanged, this,
            &TimetableController::listSelectionChanged);
    connect(list, &QListWidget::itemChanged, this, &TimetableController::listItemChanged);

    connect(list, &QListWidget::doubleClicked, this,
            [this](const QModelIndex &index) { 定时配置_DblClick(index.row()); });
    // Enter opens the editor on the current row, so the keyboard reaches it too.
    list->installEventFilter(this);
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

QListWidgetItem *TimetableController::item(int n) const
{
    return m_controls.rows->item(n);
}

void TimetableController::showRow(int n)
{
    QListWidgetItem *shown = item(n);
    if (!shown)
        return;
    m_showing = true;
    if (shown->text() != m_data.rowText(n))
        shown->setText(m_data.rowText(n));
    if (shown->isSelected() != m_data.isEnabled(n))
        shown->setSelected(m_data.isEnabled(n));
    m_showing = false;
    // Selecting a row arms its confirmed times, and deselecting it disarms them.
    showMarks(n);
    showNext();
}

void TimetableController::showMarks(int n)
{
    QListWidgetItem *shown = item(n);
    if (!shown)
        return;
    const schedule::SlotMark on = schedule::onMark(m_data, n);
    const schedule::SlotMark off = schedule::offMark(m_data, n);
    const QString text = schedule::marksText(on, off);
    if (shown->data(Qt::AccessibleDescriptionRole).toString() == text)
        return;
    m_showing = true;
    shown->setData(MarkDelegate::kOnRole, int(on));
    shown->setData(MarkDelegate::kOffRole, int(off));
    shown->setData(Qt::AccessibleDescriptionRole, text);
    shown->setToolTip(text);
    m_showing = false;
}

void TimetableController::showNext()
{
    if (!m_controls.next)
        return;
    const QString line = schedule::nextLine(m_data, m_time);
    if (m_controls.next->text() == line)
        return;
    m_controls.next->setText(line);
    m_controls.next->setAccessibleName(line);
}

void TimetableController::listSelectionChanged()
{
    if (m_showing)
        return;
    for (int n = 0; n < schedule::kRowCount; ++n) {
        if (const QListWidgetItem *shown = item(n))
            m_data.setEnabled(n, shown->isSelected());
    }
}

void TimetableController::listItemChanged(QListWidgetItem *changed)
{
    if (!m_showing)
        m_data.setRowText(m_controls.rows->row(changed), changed->text());
}

void TimetableController::定时配置_DblClick(int n)
{
    if (!item(n))
        return;
    Shuangjihang = static_cast<qint16>(n);
    if (!m_editor) {
        m_editor = std::make_unique<Form2>(m_data.slotStore());
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
    const qint16 n = Shuangjihang;
    if (!m_editor || !item(n))
        return;
    // Row n gets the new text and is enabled; every other row and its flag stays as it was.
    m_data.setRowText(
        n, schedule::rowText(n, m_editor->onTime(), m_editor->offTime(), m_editor->cruiseWord()));
    m_editor->StoreSlotTimes(n);
    m_data.setEnabled(n, true);
    showMarks(n);
    showNext();
}

void TimetableController::ScheduleScan(const QString &time)
{
    const bool newSecond = time != m_time;
    m_time = time;
    const QList<schedule::SlotFiring> firings = m_data.scan(time);
    for (const schedule::SlotFiring &firing : firings) {
        XunhangHao = static_cast<qint16>(firing.pattern);
        m_firingSlot = firing.slot;
        // The marks change with the firing, before its commands go out.
        showMarks(firing.slot);
        emit slotFired(firing.slot, firing.lampOn, firing.pattern);
        if (firing.lampOn)
            TimetableLampOn();
        else
            TimetableLampOff();
    }
    if (newSecond || !firings.isEmpty())
        showNext();
}

bool TimetableController::startOnce(QTimer *timer)
{
    // start() would restart a running timer and push its tick a second further away.
    if (timer->isActive())
        return false;
    timer->start();
    return true;
}

void TimetableController::TimetableLampOn()
{
    // Always the frame form: the angle-control box only concerns the operator's lamp buttons.
    m_send.burst(m_model.lamp(true), ConsoleModel::kBurst,
                 sendcause::timetableSlot(m_firingSlot, true));
    if (startOnce(CommandApply_3定时1000))
        m_onDelaySlot = m_firingSlot;
}

void TimetableController::TimetableLampOff()
{
    m_send.burst(m_model.lamp(false), ConsoleModel::kBurst,
                 sendcause::timetableSlot(m_firingSlot, false));
    if (startOnce(CommandApply_5定时1000))
        m_offDelaySlot = m_firingSlot;
}

void TimetableController::CommandApply_3定时1000_Timer()
{
    emit cruiseDelayed(m_onDelaySlot, true, XunhangHao);
    m_send.burst(protocol::timetableCruiseStart(m_model.device(), XunhangHao), ConsoleModel::kBurst,
                 sendcause::timetableDelay(m_onDelaySlot, true));
    CommandApply_3定时1000->stop();
}

void TimetableController::CommandApply_5定时1000_Timer()
{
    emit cruiseDelayed(m_offDelaySlot, false, XunhangHao);
    m_send.burst(protocol::cruiseStop(m_model.device(), XunhangHao), ConsoleModel::kBurst,
                 sendcause::timetableDelay(m_offDelaySlot, false));
    CommandApply_5定时1000->stop();
}

void TimetableController::LoadTimetableFlags()
{
    const QString path = m_settings.readPath(schedule::flagsPath);
    if (const QList<int> unread = m_data.loadFlags(path); !unread.isEmpty())
        emit linesUnread(path, unread, scheduletexts::kUnreadFlagsEffect);
}

void TimetableController::LoadTimetableRows()
{
    const QString path = m_settings.readPath(schedule::rowsPath);
    if (const QList<int> unread = m_data.loadRows(path); !unread.isEmpty())
        emit linesUnread(path, unread, scheduletexts::kUnreadRowsEffect);
}

schedule::SaveResult TimetableController::SaveTimetableRows()
{
    return m_data.saveRows(m_settings.writePath(schedule::rowsPath));
}

schedule::SaveResult TimetableController::SaveTimetableFlags()
{
    return m_data.saveFlags(m_settings.writePath(schedule::flagsPath));
}

void TimetableController::closeEditor()
{
    if (m_editor)
        m_editor->close();
}
