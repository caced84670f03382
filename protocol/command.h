#pragma once

#include "protocol/frame.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What can be asked of a head, as a value: what, to which device, with which parameters. The
// send path turns it into bytes here and nowhere else, and tells what went out as this value,
// so nothing needs to read a command's meaning back out of its bytes.
namespace protocol {

struct Command
{
    enum class Kind {
        Move,          // a motion frame: direction bits and the two speeds as they go out
        Lamp,          // the lamp frame, on or off
        PresetSet,     // preset 1..9
        PresetRecall,  // preset 1..9
        CruiseStart,   // pattern 1..3 with two speeds
        CruiseStop,    // pattern 1..3 (all stop the same way)
        TextLamp,      // "Roooooooooo" / "Rcccccccccc"
        TextStop,      // "Rssssssssss"
        GoToAngles,    // "R" + the four texts as the operator left them
        QueryPosition, // "Rllllllllll"
    };

    Kind kind = Kind::Move;
    // The head's address; text commands carry none and go to whatever listens.
    quint8 device = 0;
    quint8 bits = 0; // Move
    quint8 pan = 0;  // Move, CruiseStart: the speed bytes as sent
    quint8 tilt = 0;
    int number = 0;  // preset or cruise pattern
    bool on = false; // Lamp, TextLamp
    QString text;    // GoToAngles: the whole text command

    bool isText() const;
    // One of the eight jog directions, for a Move whose bits are one of them.
    std::optional<Direction> direction() const;

    friend bool operator==(const Command &, const Command &) = default;
};

// A jog in one of the eight directions; the idle axis's speed is 0, as the head wants it.
Command jog(quint8 device, Direction direction, quint8 panSpeed, quint8 tiltSpeed);
// A motion for any set of direction bits (the stick), the idle axis's speed 0.
Command motion(quint8 device, quint8 directionBits, quint8 panSpeed, quint8 tiltSpeed);
Command lamp(quint8 device, bool on);
Command presetSet(quint8 device, int preset);
Command presetRecall(quint8 device, int preset);
Command cruiseStart(quint8 device, int pattern, quint8 panSpeed, quint8 tiltSpeed);
// The timetable's cruise: each pattern with its own fixed speeds.
Command timetableCruiseStart(quint8 device, int pattern);
Command cruiseStop(quint8 device, int pattern);
Command textLamp(bool on);
Command textStop();
Command goToAngles(const QString &pan, const QString &tilt, const QString &panSpeed,
                   const QString &tiltSpeed);
Command queryPosition();

// The bytes that go on the wire: a control frame with its checksum, or a text command's
// characters. None for a command the head cannot take (a preset or pattern out of range, a
// text command with a character outside printable ASCII).
std::optional<QByteArray> bytesOf(const Command &command);

} // namespace protocol
