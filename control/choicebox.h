#pragma once

#include <QComboBox>
#include <QString>

#include <optional>

// An editable combo box whose handler runs only for a choice from its list (mouse or arrow
// keys), never for typed text: Enter does not pick an entry, and nothing is completed
// or added while typing.
class ChoiceBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);
};

// A choice box for a byte the head receives: the device number or a speed. It takes only whole
// numbers 0-255 as typed, so a wrong byte never reaches the head; while the box is empty the
// last valid value stays in force, and it is put back when the operator leaves the box.
class ByteBox : public ChoiceBox
{
    Q_OBJECT
public:
    explicit ByteBox(QWidget *parent = nullptr);

    // The byte the box stands for now.
    quint8 value() const;

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void remember(const QString &text);

    QString m_lastValidText = QStringLiteral("0");
    quint8 m_lastValid = 0;
};
