#pragma once

#include "protocol/command.h"

#include "presets/presetservice.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <optional>

class Form1;
class ConsoleModel;
class SendPath;
class QComboBox;
class QWidget;

// Storing and recalling head positions: opens the preset dialog in set or recall mode with the
// labels of the selected searchlight, and turns a preset button into its burst of three frames
// (paced by the send path, so the window goes on meanwhile), the save of the labels and the hiding
// of the dialog. While the dialog is shown it follows the selector: another searchlight chosen,
// typed or stepped to loads that searchlight's labels, as an opening does, so that the labels shown
// and the row written are always those of the searchlight the frames go to. The store is read and
// written off the window thread; a dialog whose labels have not been read (yet, or at all) writes
// none.
class PresetController : public QObject
{
    Q_OBJECT
public:
    // The values of the main window's dialog mode.
    static constexpr qint16 kSet = 1;
    static constexpr qint16 kRecall = 2;
    // Between two frames of a preset burst, at least.
    static constexpr std::chrono::milliseconds kPause{50};

    // searchlight is the searchlight selector: its text at the moment of a load or save is the
    // store's key. window is the main window, which the dialog belongs to and is centred on the
    // screen of.
    PresetController(const ConsoleModel &model, SendPath &send, QComboBox *searchlight,
                     PresetStore store, QWidget *window);

    // The dialog mode, kSet or kRecall, written by every opening and never reset; 0 until the
    // first opening.
    qint16 Yuzhiwei = 0;
    // The preset button pressed last, 1 to 9; 0 until the first press.
    qint16 CounterA = 0;

    // The two opening buttons of the main window.
    void 设置预置位_Click();
    void 调用预置位_Click();

    // Recalls preset 1 to 9 of the selected searchlight straight away, as a mapped joystick
    // button or hotkey does: the burst alone, without the dialog and its labels. A press while
    // another burst is going out follows it.
    void recall(int preset);

    // Null until the first opening.
    Form1 *dialog() const;

    // Both ask the store and return at once; the answer comes back through the event loop.
    void LoadPresetLabels();
    void SavePresetLabels();
    // Loads and saves asked for and not answered yet.
    int storeWorkPending() const { return m_service.pending(); }

signals:
    // The labels of a searchlight were written to the store, or were not (why says why).
    void labelsSaved(const QString &searchlight, bool saved, const QString &why);

private:
    void open(qint16 mode);
    void centre();
    void searchlightChanged();
    void 预置位_Click(int preset);
    void burst(const protocol::Command &command);

    const ConsoleModel &m_model;
    SendPath &m_send;
    QComboBox *m_searchlight;
    PresetService m_service;
    QWidget *m_window;
    QPointer<Form1> m_dialog;
    // Counts the loads asked for, so that an answer of the store can tell whether it still
    // belongs to the dialog as it is now: no later opening, no other searchlight since.
    quint64 m_loads = 0;
    // The searchlight whose labels the boxes hold as read from the store; none while a load is
    // on its way or failed. Only boxes read for the searchlight selected now are written back.
    std::optional<QString> m_labelsOf;
};
