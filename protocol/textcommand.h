#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The head's ASCII text commands: "R" and ten characters, no terminator, no checksum.
namespace protocol {

inline const QString kLampOnText = QStringLiteral("Roooooooooo");
inline const QString kLampOffText = QStringLiteral("Rcccccccccc");
inline const QString kStopText = QStringLiteral("Rssssssssss");
inline const QString kQueryPositionText = QStringLiteral("Rllllllllll");

// "R" + pan + tilt + pan speed + tilt speed, each copied as it stands.
QString goToAngleCommand(const QString &pan, const QString &tilt, const QString &panSpeed,
                         const QString &tiltSpeed);

// The bytes of a text command, one per character. The head reads printable ASCII only, so a
// command with any other character (a Chinese character typed into an angle box, a control
// character) has no bytes: it must not go out changed.
std::optional<QByteArray> textCommandBytes(const QString &command);

} // namespace protocol
