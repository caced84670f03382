#pragma once

#include <QComboBox>
#include <QString>

// An editable combo box whose handler (the chosen signal) runs once for every change of its
// value made by a choice from the list, however the choice came: the mouse in the open list,
// the arrow keys, the wheel while the box has the keyboard focus, or code through choose().
// Opening and closing the list, or picking the entry already shown, is not a change. Typed text
// is never a choice: Enter does not pick an entry, and nothing is completed or added.
class ChoiceBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);

    // Picks list entry index as an operator would; the handler runs if the value changes.
    void choose(int index);
    // Shows text without running the handler; when the text is in the list, its entry becomes
    // the current one, so that the open list shows it and picking it is no change.
    void setValue(const QString &text);
    // Empties the list and the text.
    void clearAll();

    void showPopup() override;

signals:
    void chosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void noteValueBeforeChoice();
    void afterChoice();

    QString m_before;
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
