#pragma once

#include <QString>

// The head's ASCII text commands: "R" and ten characters, no terminator, no checksum.
namespace protocol {

inline const QString kLampOnText = QStringLiteral("Roooooooooo");
inline const QString kLampOffText = QStringLiteral("Rcccccccccc");
inline const QString kStopText = QStringLiteral("Rssssssssss");
inline const QString kQueryPositionText = QStringLiteral("Rllllllllll");

// "R" + pan + tilt + pan speed + tilt speed, each copied as it stands.
QString goToAngleCommand(const QString &pan, const QString &tilt, const QString &panSpeed,
                         const QString &tiltSpeed);

} // namespace protocol
