#pragma once

#include <QString>

#include <optional>

// The one-shot commands an operator gives from a joystick button or a hotkey; each runs the same
// handler as its control on the window.
enum class OperatorAction {
    LampOn,
    LampOff,
    Stop,
    Cruise,
    Preset1,
    Preset2,
    Preset3,
    Preset4,
    Preset5,
    Preset6,
    Preset7,
    Preset8,
    Preset9,
    PreviousDevice,
    NextDevice,
};

namespace operatoraction {

// Recalling preset n (1 to 9).
inline OperatorAction preset(int n)
{
    return OperatorAction(int(OperatorAction::Preset1) + n - 1);
}
// The preset an action recalls, 0 when it recalls none.
inline int presetOf(OperatorAction action)
{
    const int n = int(action) - int(OperatorAction::Preset1) + 1;
    return n >= 1 && n <= 9 ? n : 0;
}

// The action's name in the joystick settings file: "lamp-on", "preset-3", "next-device".
QString name(OperatorAction action);
std::optional<OperatorAction> fromName(const QString &name);

} // namespace operatoraction
