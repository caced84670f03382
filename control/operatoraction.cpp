#include "control/operatoraction.h"

#include <array>

namespace operatoraction {

namespace {

struct Named
{
    OperatorAction action;
    const char *name;
};

constexpr std::array<Named, 15> kNames = {{
    {OperatorAction::LampOn, "lamp-on"},
    {OperatorAction::LampOff, "lamp-off"},
    {OperatorAction::Stop, "stop"},
    {OperatorAction::Cruise, "cruise"},
    {OperatorAction::Preset1, "preset-1"},
    {OperatorAction::Preset2, "preset-2"},
    {OperatorAction::Preset3, "preset-3"},
    {OperatorAction::Preset4, "preset-4"},
    {OperatorAction::Preset5, "preset-5"},
    {OperatorAction::Preset6, "preset-6"},
    {OperatorAction::Preset7, "preset-7"},
    {OperatorAction::Preset8, "preset-8"},
    {OperatorAction::Preset9, "preset-9"},
    {OperatorAction::PreviousDevice, "previous-device"},
    {OperatorAction::NextDevice, "next-device"},
}};

} // namespace

QString name(OperatorAction action)
{
    for (const Named &n : kNames) {
        if (n.action == action)
            return QString::fromLatin1(n.name);
    }
    return {};
}

std::optional<OperatorAction> fromName(const QString &text)
{
    for (const Named &n : kNames) {
        if (text == QLatin1String(n.name))
            return n.action;
    }
    return std::nullopt;
}

} // namespace operatoraction
