#pragma once

#include "control/operatoraction.h"
#include "control/stickmotion.h"
#include "files/wholefile.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// The operator's joystick settings, kept in joystick.ini in the data directory: the dead zone,
// inversion and curve of the stick, and what each button does. Lines are "key = value"; blank
// lines and lines starting with # are skipped. A line the console cannot read leaves its setting
// at the default and is named once to the operator; so is a dead zone under the smallest, which
// holds instead. The file itself is never rewritten.
namespace joysticksettings {

inline const QString kFileName = QStringLiteral("joystick.ini");
// Buttons are numbered from 1; on a gamepad in SDL's order (1 is A, 2 B, 3 X, 4 Y, ...).
inline constexpr int kButtons = 32;

struct Settings
{
    stick::Shape shape;
    // Button number to action; a button not named does nothing.
    QMap<int, OperatorAction> buttons = {{1, OperatorAction::LampOn},
                                         {2, OperatorAction::LampOff},
                                         {3, OperatorAction::Stop},
                                         {4, OperatorAction::Cruise},
                                         {10, OperatorAction::PreviousDevice},
                                         {11, OperatorAction::NextDevice}};

    bool operator==(const Settings &) const = default;
};

struct Read
{
    Settings settings;
    // Line numbers (from 1) that could not be used.
    QList<int> badLines;
    // The dead zone asked for was under the smallest, which holds instead.
    bool deadZoneRaised = false;
};

Read parse(const QByteArray &text);
// The file as the console writes it on first use: the settings with a comment on each.
QByteArray format(const Settings &settings);

struct Loaded
{
    Read read;
    bool exists = false;
    // Set when the file exists but cannot be read at all.
    QString error;
};
Loaded load(const QString &path);
// Writes the file only when there is none yet, whole or not at all.
files::Saved writeDefaultsIfMissing(const QString &path);

// The message naming a file's unusable lines; empty when there are none.
QString problemText(const QString &path, const Loaded &loaded);

} // namespace joysticksettings
