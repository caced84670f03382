#include "ui/choicebox.h"

#include "protocol/frame.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <QWheelEvent>

namespace {

// Swallows Enter so that typing a value and pressing Enter is not taken for a list choice.
class TypingLine : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

// Whole numbers 0-255, at most three digits; empty is allowed while typing.
class ByteValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        if (input.isEmpty())
            return Intermediate;
        return protocol::parseByteText(input) ? Acceptable : Invalid;
    }
};

} // namespace

ChoiceBox::ChoiceBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setLineEdit(new TypingLine(this));
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // The wheel must not take the focus on its way past: turning it over a closed box the
    // operator is not working in would pick another searchlight.
    setFocusPolicy(Qt::StrongFocus);
    // Every way of picking from the list ends in activated, the entry already shown included;
    // leaving the open list without a choice does not.
    connect(this, &QComboBox::activated, this, &ChoiceBox::chosen);
}

void ChoiceBox::choose(int index)
{
    setCurrentIndex(index);
    emit chosen();
}

void ChoiceBox::setValue(const QString &text)
{
    const int index = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    setCurrentIndex(index);
    setEditText(text);
}

void ChoiceBox::clearAll()
{
    clear();
    clearEditText();
}

void ChoiceBox::wheelEvent(QWheelEvent *event)
{
    // As on a desktop where the wheel goes to the focused control: only the box being worked
    // in turns.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

ByteBox::ByteBox(QWidget *parent) : ChoiceBox(parent)
{
    setValidator(new ByteValidator(this));
    connect(this, &QComboBox::editTextChanged, this, &ByteBox::remember);
}

quint8 ByteBox::value() const
{
    return protocol::parseByteText(currentText()).value_or(m_lastValid);
}

void ByteBox::remember(const QString &text)
{
    if (const auto v = protocol::parseByteText(text)) {
        m_lastValid = *v;
        m_lastValidText = text;
    }
}

void ByteBox::focusOutEvent(QFocusEvent *event)
{
    ChoiceBox::focusOutEvent(event);
    if (!protocol::parseByteText(currentText()))
        setEditText(m_lastValidText);
}
