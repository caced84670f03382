#include "protocol/frame.h"

#include "protocol/decimaltext.h"

namespace protocol {

namespace {

// Second command byte that starts cruise pattern 1, 2 or 3; 0 for anything else.
quint8 cruiseCommand(int pattern)
{
    switch (pattern) {
    case 1:
        return 0x40;
    case 2:
        return 0x20;
    case 3:
        return 0x80;
    default:
        return 0x00;
    }
}

Frame makeFrame(quint8 address, quint8 command1, quint8 command2, quint8 data1, quint8 data2)
{
    return {kSync, address, command1, command2, data1, data2, 0x00};
}

bool isPreset(int preset)
{
    return preset >= 1 && preset <= 9;
}

} // namespace

quint8 checksum(const Frame &frame)
{
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 5; ++i)
        sum += frame[i];
    return static_cast<quint8>(sum & 0xFF);
}

Frame withChecksum(Frame frame)
{
    frame[6] = checksum(frame);
    return frame;
}

quint8 directionBits(Direction direction)
{
    switch (direction) {
    case Direction::UpLeft:
        return kUpBit | kLeftBit;
    case Direction::Up:
        return kUpBit;
    case Direction::UpRight:
        return kUpBit | kRightBit;
    case Direction::Right:
        return kRightBit;
    case Direction::DownRight:
        return kDownBit | kRightBit;
    case Direction::Down:
        return kDownBit;
    case Direction::DownLeft:
        return kDownBit | kLeftBit;
    case Direction::Left:
        return kLeftBit;
    }
    return 0x00;
}

QString directionName(Direction direction)
{
    static const QString names[] = {
        QStringLiteral("左上"), QStringLiteral("上"), QStringLiteral("右上"), QStringLiteral("右"),
        QStringLiteral("右下"), QStringLiteral("下"), QStringLiteral("左下"), QStringLiteral("左")};
    return names[int(direction)];
}

QString directionArrow(Direction direction)
{
    static const QString arrows[] = {QStringLiteral("↖"), QStringLiteral("↑"), QStringLiteral("↗"),
                                     QStringLiteral("→"), QStringLiteral("↘"), QStringLiteral("↓"),
                                     QStringLiteral("↙"), QStringLiteral("←")};
    return arrows[int(direction)];
}

std::optional<Direction> directionFor(int horizontal, int vertical)
{
    const int h = (horizontal > 0) - (horizontal < 0);
    const int v = (vertical > 0) - (vertical < 0);
    // Rows from up to down, columns from left to right, as the pad lays them out.
    static constexpr std::optional<Direction> kPad[3][3] = {
        {Direction::UpLeft, Direction::Up, Direction::UpRight},
        {Direction::Left, std::nullopt, Direction::Right},
        {Direction::DownLeft, Direction::Down, Direction::DownRight}};
    return kPad[1 - v][h + 1];
}

Frame jogFrame(quint8 address, Direction direction, quint8 panSpeed, quint8 tiltSpeed)
{
    return motionFrame(address, directionBits(direction), panSpeed, tiltSpeed);
}

Frame motionFrame(quint8 address, quint8 directionBits, quint8 panSpeed, quint8 tiltSpeed)
{
    // Straight up/down moves carry no pan speed and straight left/right no tilt speed; the head
    // would otherwise drift on the idle axis.
    const bool pans = directionBits & (kRightBit | kLeftBit);
    const bool tilts = directionBits & (kUpBit | kDownBit);
    return makeFrame(address, 0x00, directionBits, pans ? panSpeed : quint8(0),
                     tilts ? tiltSpeed : quint8(0));
}

Frame lampFrame(quint8 address, bool on)
{
    return makeFrame(address, on ? 0x02 : 0x04, 0x00, 0x00, 0x00);
}

std::optional<Frame> presetSetFrame(quint8 address, int preset)
{
    if (!isPreset(preset))
        return std::nullopt;
    return makeFrame(address, static_cast<quint8>(0x60 + preset), 0x00, 0x00, 0x00);
}

std::optional<Frame> presetRecallFrame(quint8 address, int preset)
{
    if (!isPreset(preset))
        return std::nullopt;
    return makeFrame(address, static_cast<quint8>(0x30 + preset), 0x00, 0x00, 0x00);
}

std::optional<Frame> cruiseStartFrame(quint8 address, int pattern, quint8 panSpeed,
                                      quint8 tiltSpeed)
{
    const quint8 command2 = cruiseCommand(pattern);
    if (command2 == 0x00)
        return std::nullopt;
    return makeFrame(address, 0x00, command2, panSpeed, tiltSpeed);
}

std::optional<Frame> timetableCruiseStartFrame(quint8 address, int pattern)
{
    // The timetable runs unattended, so each pattern has fixed speeds instead of the boxes'.
    switch (pattern) {
    case 1:
        return makeFrame(address, 0x00, 0x40, 0x05, 0x3F);
    case 2:
        return makeFrame(address, 0x00, 0x20, 0x3F, 0x05);
    case 3:
        return makeFrame(address, 0x00, 0x80, 0x3F, 0x3F);
    default:
        return std::nullopt;
    }
}

std::optional<Frame> cruiseStopFrame(quint8 address, int pattern)
{
    // Pattern 0 means no cruise is running, so there is nothing to stop.
    if (cruiseCommand(pattern) == 0x00)
        return std::nullopt;
    return makeFrame(address, 0x01, 0x00, 0x00, 0x00);
}

QByteArray toBytes(const Frame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()),
                      static_cast<qsizetype>(frame.size()));
}

QString hexText(const QByteArray &bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0x0F]);
        text += QLatin1Char(' ');
    }
    return text;
}

std::optional<quint8> parseByteText(const QString &text)
{
    if (const std::optional<int> value = decimaltext::whole(text, 255, 3))
        return static_cast<quint8>(*value);
    return std::nullopt;
}

} // namespace protocol
