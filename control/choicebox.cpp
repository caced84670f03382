#include "control/choicebox.h"

#include "protocol/frame.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

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
