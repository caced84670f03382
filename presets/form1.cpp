#include "presets/form1.h"

#include "presets/presettexts.h"
#include "ui/twips.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Three columns and three rows of presets, numbered left to right and top to bottom.
constexpr int kColumnLefts[] = {360, 1680, 3000};
constexpr int kRowTops[] = {240, 1320, 2400};
constexpr int kButtonWidth = 735;
constexpr int kButtonHeight = 615;
constexpr int kBoxHeight = 270;
// Measured from the top of the button, so the box covers the button's last pixel row.
constexpr int kBoxBelowButton = 600;

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(presettexts::kDialogTitle);
    setFixedSize(twips::size(4080, 3510));

    for (int i = 0; i < presettable::kPresetCount; ++i) {
        const int preset = i + 1;
        const int left = kColumnLefts[i % 3];
        const int top = kRowTops[i / 3];

        auto *button = new QPushButton(presettexts::presetCaption(preset), this);
        button->setObjectName(QStringLiteral("预置位%1").arg(preset));
        button->setGeometry(twips::rect(left, top, kButtonWidth, kButtonHeight));
        connect(button, &QPushButton::clicked, this,
                [this, preset] { emit presetPressed(preset); });
        m_buttons[i] = button;

        auto *box = new QLineEdit(presettexts::kDesignLabel, this);
        box->setObjectName(QStringLiteral("Text%1").arg(preset));
        box->setGeometry(twips::rect(left, top + kBoxBelowButton, kButtonWidth, kBoxHeight));
        box->setAlignment(Qt::AlignCenter);
        // As the other text boxes of the console: found by their own name.
        box->setAccessibleName(box->objectName());
        m_boxes[i] = box;
    }

    // The nine buttons in preset order, then the nine boxes.
    QWidget *previous = m_buttons[0];
    for (int i = 1; i < 2 * presettable::kPresetCount; ++i) {
        QWidget *next = i < presettable::kPresetCount
                            ? static_cast<QWidget *>(m_buttons[i])
                            : static_cast<QWidget *>(m_boxes[i - presettable::kPresetCount]);
        setTabOrder(previous, next);
        previous = next;
    }
}

PresetLabels Form1::labels() const
{
    PresetLabels labels;
    for (int i = 0; i < presettable::kPresetCount; ++i)
        labels[i] = m_boxes[i]->text();
    return labels;
}

void Form1::setLabels(const PresetLabels &labels)
{
    for (int i = 0; i < presettable::kPresetCount; ++i)
        m_boxes[i]->setText(labels[i]);
}

void Form1::setLabelsEditable(bool editable)
{
    for (QLineEdit *box : m_boxes)
        box->setReadOnly(!editable);
}
