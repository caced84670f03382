#include "presets/presetcontroller.h"

#include "control/consolemodel.h"
#include "link/sendcause.h"
#include "link/sendpath.h"
#include "presets/form1.h"
#include "presets/presettexts.h"
#include "ui/centring.h"
#include "ui/prompt.h"

#include <QComboBox>

PresetController::PresetController(const ConsoleModel &model, SendPath &send,
                                   QComboBox *searchlight, PresetStore store, QWidget *window)
    : QObject(window), m_model(model), m_send(send), m_searchlight(searchlight),
      m_service(std::move(store)), m_window(window)
{
    // Every way the selection changes: a choice from the list, typing, code, the stick's
    // previous and next device buttons.
    connect(m_searchlight, &QComboBox::currentTextChanged, this,
            &PresetController::searchlightChanged);
}

Form1 *PresetController::dialog() const
{
    return m_dialog;
}

void PresetController::设置预置位_Click()
{
    open(kSet);
}

void PresetController::调用预置位_Click()
{
    open(kRecall);
}

void PresetController::open(qint16 mode)
{
    Yuzhiwei = mode;
    if (!m_dialog) {
        // Kept from now on: its close box and the preset buttons only hide it.
        m_dialog = new Form1(m_window);
        connect(m_dialog, &Form1::presetPressed, this, &PresetController::预置位_Click);
        // Takes care of the first showing, when the window manager's frame is not known yet.
        centreOnScreen(m_dialog);
    }
    centre();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    LoadPresetLabels();
}

void PresetController::centre()
{
    centreNow(m_dialog, m_window);
}

void PresetController::searchlightChanged()
{
    if (!m_dialog || !m_dialog->isVisible())
        return;
    // The old searchlight's labels are not shown under the new one while its own are read.
    m_dialog->setLabels({});
    LoadPresetLabels();
}

void PresetController::LoadPresetLabels()
{
    m_labelsOf.reset();
    // Nothing typed before the labels arrive could be kept: the boxes wait for them.
    m_dialog->setLabelsEditable(false);
    const quint64 asked = ++m_loads;
    const QString searchlight = m_searchlight->currentText();
    m_service.load(searchlight, [this, asked, searchlight](const PresetLoad &load) {
        // An answer that a later opening or another searchlight has overtaken, or for a dialog
        // gone, is dropped.
        if (asked != m_loads || !m_dialog)
            return;
        // On a failure these are nine empty labels, which stay read-only: they would not be saved.
        m_dialog->setLabels(load.labels);
        if (load.ok)
            m_labelsOf = searchlight;
        m_dialog->setLabelsEditable(load.ok);
        if (!load.ok && m_dialog->isVisible())
            prompt::show(m_dialog, load.error);
    });
}

void PresetController::SavePresetLabels()
{
    const QString searchlight = m_searchlight->currentText();
    m_service.save(searchlight, m_dialog->labels(), [this, searchlight](const PresetSave &save) {
        emit labelsSaved(searchlight, save.ok, save.error);
        if (!save.ok)
            prompt::show(m_window, save.error);
    });
}

void PresetController::预置位_Click(int preset)
{
    CounterA = qint16(preset);
    if (Yuzhiwei == kSet)
        burst(protocol::presetSet(m_model.device(), CounterA));
    else if (Yuzhiwei == kRecall)
        burst(protocol::presetRecall(m_model.device(), CounterA));

    const QString searchlight = m_searchlight->currentText();
    const bool loaded = m_labelsOf == searchlight;
    if (loaded)
        SavePresetLabels();
    m_dialog->hide();
    if (!loaded)
        emit labelsSaved(searchlight, false, presettexts::kLabelsNotSaved);
    if (!loaded)
        prompt::show(m_window, presettexts::kLabelsNotSaved);
}

void PresetController::recall(int preset)
{
    if (preset < 1 || preset > 9)
        return;
    CounterA = qint16(preset);
    burst(protocol::presetRecall(m_model.device(), CounterA));
}

void PresetController::burst(const protocol::Command &command)
{
    // The three copies are identical: the address is the one selected at the press. The send
    // path paces them and keeps everything else off the line in between.
    m_send.sendRepeated(command, ConsoleModel::kBurst, kPause,
                        sendcause::presetButton(command.number));
}
