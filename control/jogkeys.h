#pragma once

#include "control/jogcontrol.h"
#include "control/operatoraction.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// The keyboard on the main window: the numeric keypad (with or without Num Lock) and the arrow
// keys hold jog directions through the same held-direction state as the buttons, two held keys
// making a diagonal; keypad 5 and the hotkeys run the operator's actions. Installed on the
// application, so that a focused button does not move the focus with the arrow keys instead.
// A key that the focused control uses itself (see focusKeepsKeys) stays that control's. A held
// key's release counts wherever it lands; a deactivated window or a popup that opens lets go of
// every held key.
class JogKeys : public QObject
{
    Q_OBJECT
public:
    JogKeys(JogControl &jog, QWidget *window, std::function<void(OperatorAction)> act,
            QObject *parent = nullptr);
    ~JogKeys() override;

    // True while the keyboard focus is in a control that takes typing or moves with the arrow
    // keys: a text box that may be edited, a choice box, a list (the timetable) or a spin box.
    static bool focusKeepsKeys(const QWidget *focus);
    // The hotkey of an action as the operator reads it in a tooltip; empty when it has none.
    static QString hotkeyText(OperatorAction action);
    // The keys of a jog direction, as a tooltip shows them.
    static QString directionKeysText(protocol::Direction direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(const QKeyEvent &key);
    bool keyReleased(const QKeyEvent &key);
    void releaseAll();
    void follow();

    JogControl &m_jog;
    QWidget *m_window;
    std::function<void(OperatorAction)> m_act;
    // Each held jog key by its identity, with its push (x to the right, y upwards).
    QHash<quint32, QPoint> m_held;
    std::optional<protocol::Direction> m_holding;
};
