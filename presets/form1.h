#pragma once

#include "presets/presetstore.h"

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

// The preset dialog: nine preset buttons, each with the operator's label for it underneath. It
// only shows and collects; what a press does is decided by whoever listens to presetPressed.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    // Element k - 1 is the text of box k.
    PresetLabels labels() const;
    void setLabels(const PresetLabels &labels);
    // Whether the operator may edit the nine boxes.
    void setLabelsEditable(bool editable);

signals:
    // Preset button k was pressed.
    void presetPressed(int preset);

private:
    std::array<QPushButton *, presettable::kPresetCount> m_buttons{};
    std::array<QLineEdit *, presettable::kPresetCount> m_boxes{};
};
