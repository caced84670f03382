#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The seven-byte control frame the head understands: sync 0xFF, address, two command bytes,
// pan and tilt data, checksum. The builders fill bytes 0 to 5; the send path writes byte 6.
namespace protocol {

using Frame = std::array<quint8, 7>;

inline constexpr quint8 kSync = 0xFF;

// The eight jog directions, in the order the jog scan visits them.
enum class Direction { UpLeft, Up, UpRight, Right, DownRight, Down, DownLeft, Left };
inline constexpr std::array<Direction, 8> kScanOrder = {
    Direction::UpLeft,    Direction::Up,   Direction::UpRight,  Direction::Right,
    Direction::DownRight, Direction::Down, Direction::DownLeft, Direction::Left};

// Direction bits of a motion frame's second command byte; a diagonal sets two of them.
inline constexpr quint8 kRightBit = 0x02;
inline constexpr quint8 kLeftBit = 0x04;
inline constexpr quint8 kUpBit = 0x08;
inline constexpr quint8 kDownBit = 0x10;

// The direction's name, as its button is named and the journal says it ("左上"), and the arrow
// on its button ("↖").
QString directionName(Direction direction);
QString directionArrow(Direction direction);

// The jog direction for the signs of a horizontal (right positive) and a vertical (up positive)
// push; nothing for none, or when opposite pushes cancel on both axes.
std::optional<Direction> directionFor(int horizontal, int vertical);

// Low eight bits of the sum of bytes 1 to 5; the sync byte is not summed.
quint8 checksum(const Frame &frame);
// The frame with byte 6 replaced by its checksum.
Frame withChecksum(Frame frame);

// Builders. Byte 6 is left 0: the send path fills it.
Frame jogFrame(quint8 address, Direction direction, quint8 panSpeed, quint8 tiltSpeed);
// A motion frame for any set of direction bits: an axis with neither of its bits set gets speed 0,
// so the head does not drift on it.
Frame motionFrame(quint8 address, quint8 directionBits, quint8 panSpeed, quint8 tiltSpeed);
// The direction bits of one of the eight jog directions.
quint8 directionBits(Direction direction);
Frame lampFrame(quint8 address, bool on);
// Preset numbers 1 to 9; anything else gives no frame.
std::optional<Frame> presetSetFrame(quint8 address, int preset);
std::optional<Frame> presetRecallFrame(quint8 address, int preset);
// Cruise patterns 1 to 3 ("巡航一" .. "巡航三"); anything else gives no frame.
std::optional<Frame> cruiseStartFrame(quint8 address, int pattern, quint8 panSpeed,
                                      quint8 tiltSpeed);
std::optional<Frame> timetableCruiseStartFrame(quint8 address, int pattern);
std::optional<Frame> cruiseStopFrame(quint8 address, int pattern);

QByteArray toBytes(const Frame &frame);

// Bytes as the log shows them: two upper-case hex digits and one space each ("FF 01 ").
QString hexText(const QByteArray &bytes);

// A whole decimal number 0..255 typed by the operator ("07" is 7); anything else (empty, signs,
// blanks, letters, 256 and above) is no value.
std::optional<quint8> parseByteText(const QString &text);

} // namespace protocol
