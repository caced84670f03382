#pragma once

#include "presets/presetstore.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>

class Form1;
class HeadCommands;
class QComboBox;
class QWidget;

// Storing and recalling head positions: opens the preset dialog in set or recall mode with the
// labels of the selected searchlight, and turns a preset button into its three frames, the save
// of the labels and the hiding of the dialog.
class PresetController : public QObject
{
    Q_OBJECT
public:
    // The values of the main window's dialog mode.
    static constexpr qint16 kSet = 1;
    static constexpr qint16 kRecall = 2;
    // Between two frames of a preset burst.
    static constexpr std::chrono::milliseconds kPause{50};

    // mode is the main window's dialog mode, written by every opening. searchlight is the
    // searchlight selector: its text at the moment of a load or save is the store's key. window
    // is the main window, which the dialog belongs to and is centred on the screen of.
    PresetController(HeadCommands &commands, QComboBox *searchlight, qint16 &mode,
                     const QString &storePath, QWidget *window);

    // The two opening buttons of the main window.
    void 设置预置位_Click();
    void 调用预置位_Click();

    // Null until the first opening.
    Form1 *dialog() const;

    void LoadPresetLabels();
    void SavePresetLabels();

private:
    void open(qint16 mode);
    void centre();
    void 预置位_Click(int preset);
    void burst(void (HeadCommands::*send)(int), int preset);

    HeadCommands &m_commands;
    QComboBox *m_searchlight;
    qint16 &m_mode;
    PresetStore m_store;
    QWidget *m_window;
    QPointer<Form1> m_dialog;
    // Counts the openings, so that a preset press can tell whether the dialog was opened anew
    // while one of its messages was up.
    quint64 m_openings = 0;
};
