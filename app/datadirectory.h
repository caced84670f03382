#pragma once

#include <QString>

// Where the console keeps what it writes (the settings files, the preset store) and looks for
// its ports/ links: beside the program when this user may write there, as in a build or a
// folder install; otherwise, as under a system-wide install, in the user's own data location.
namespace datadirectory {

// The per-user location is named after the application: ~/.local/share/corvane. No
// organisation name is set, as that would add a level to the path.
inline const QString kApplicationName = QStringLiteral("corvane");

// The program directory itself when it is writable, else QStandardPaths' AppDataLocation,
// created when missing. The application name must be set first.
QString choose(const QString &programDir);

} // namespace datadirectory
