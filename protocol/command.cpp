#include "protocol/command.h"

#include "protocol/textcommand.h"

namespace protocol {

namespace {

Command frameCommand(Command::Kind kind, quint8 device)
{
    Command c;
    c.kind = kind;
    c.device = device;
    return c;
}

Command textCommand(Command::Kind kind, const QString &text)
{
    Command c;
    c.kind = kind;
    c.text = text;
    return c;
}

std::optional<QByteArray> frameBytes(const std::optional<Frame> &frame)
{
    if (!frame)
        return std::nullopt;
    return toBytes(withChecksum(*frame));
}

} // namespace

bool Command::isText() const
{
    switch (kind) {
    case Kind::TextLamp:
    case Kind::TextStop:
    case Kind::GoToAngles:
    case Kind::QueryPosition:
        return true;
    default:
        return false;
    }
}

std::optional<Direction> Command::direction() const
{
    if (kind != Kind::Move)
        return std::nullopt;
    for (const Direction d : kScanOrder) {
        if (directionBits(d) == bits)
            return d;
    }
    return std::nullopt;
}

Command jog(quint8 device, Direction direction, quint8 panSpeed, quint8 tiltSpeed)
{
    return motion(device, directionBits(direction), panSpeed, tiltSpeed);
}

Command motion(quint8 device, quint8 directionBits, quint8 panSpeed, quint8 tiltSpeed)
{
    // The frame builder leaves the idle axis at 0; the value says what goes out.
    const Frame f = motionFrame(device, directionBits, panSpeed, tiltSpeed);
    Command c = frameCommand(Command::Kind::Move, device);
    c.bits = directionBits;
    c.pan = f[4];
    c.tilt = f[5];
    return c;
}

Command lamp(quint8 device, bool on)
{
    Command c = frameCommand(Command::Kind::Lamp, device);
    c.on = on;
    return c;
}

Command presetSet(quint8 device, int preset)
{
    Command c = frameCommand(Command::Kind::PresetSet, device);
    c.number = preset;
    return c;
}

Command presetRecall(quint8 device, int preset)
{
    Command c = frameCommand(Command::Kind::PresetRecall, device);
    c.number = preset;
    return c;
}

Command cruiseStart(quint8 device, int pattern, quint8 panSpeed, quint8 tiltSpeed)
{
    Command c = frameCommand(Command::Kind::CruiseStart, device);
    c.number = pattern;
    c.pan = panSpeed;
    c.tilt = tiltSpeed;
    return c;
}

Command timetableCruiseStart(quint8 device, int pattern)
{
    const std::optional<Frame> f = timetableCruiseStartFrame(device, pattern);
    return cruiseStart(device, pattern, f ? (*f)[4] : quint8(0), f ? (*f)[5] : quint8(0));
}

Command cruiseStop(quint8 device, int pattern)
{
    Command c = frameCommand(Command::Kind::CruiseStop, device);
    c.number = pattern;
    return c;
}

Command textLamp(bool on)
{
    Command c = textCommand(Command::Kind::TextLamp, on ? kLampOnText : kLampOffText);
    c.on = on;
    return c;
}

Command textStop()
{
    return textCommand(Command::Kind::TextStop, kStopText);
}

Command goToAngles(const QString &pan, const QString &tilt, const QString &panSpeed,
                   const QString &tiltSpeed)
{
    return textCommand(Command::Kind::GoToAngles, goToAngleCommand(pan, tilt, panSpeed, tiltSpeed));
}

Command queryPosition()
{
    return textCommand(Command::Kind::QueryPosition, kQueryPositionText);
}

std::optional<QByteArray> bytesOf(const Command &c)
{
    using K = Command::Kind;
    switch (c.kind) {
    case K::Move:
        return frameBytes(motionFrame(c.device, c.bits, c.pan, c.tilt));
    case K::Lamp:
        return frameBytes(lampFrame(c.device, c.on));
    case K::PresetSet:
        return frameBytes(presetSetFrame(c.device, c.number));
    case K::PresetRecall:
        return frameBytes(presetRecallFrame(c.device, c.number));
    case K::CruiseStart:
        return frameBytes(cruiseStartFrame(c.device, c.number, c.pan, c.tilt));
    case K::CruiseStop:
        return frameBytes(cruiseStopFrame(c.device, c.number));
    case K::TextLamp:
    case K::TextStop:
    case K::GoToAngles:
    case K::QueryPosition:
        return textCommandBytes(c.text);
    }
    return std::nullopt;
}

} // namespace protocol
