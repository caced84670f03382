#pragma once

#include <QComboBox>
#include <QString>

// An editable combo box whose handler (the chosen signal) runs once for every choice from the
// list, however it came: the mouse or Enter in the open list (the entry already shown too), the
// arrow keys or the wheel while the box has the keyboard focus, or code through choose().
// Opening the list and leaving it without a choice (Escape, a click outside) chooses nothing, and
// an arrow key or wheel turn that stays on the same entry (at either end of the list) is no
// choice either. Typed text is never a choice: Enter does not pick an entry, and nothing is
// completed or added.
class ChoiceBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);

    // Picks list entry index as an operator would; the handler runs, as for any choice.
    void choose(int index);
    // Shows text without running the handler; when the text is in the list, its entry becomes
    // the current one, so that the open list shows it and picking it is no change.
    void setValue(const QString &text);
    // Empties the list and the text.
    void clearAll();

signals:
    void chosen();

protected:
    void wheelEvent(QWheelEvent *event) override;
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
