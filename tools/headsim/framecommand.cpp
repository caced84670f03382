#include "tools/headsim/framecommand.h"

namespace headsim {

namespace {

constexpr int kPresetSetBase = 0x60;
constexpr int kPresetRecallBase = 0x30;
constexpr int kLampOn = 0x02;
constexpr int kLampOff = 0x04;
constexpr int kCruiseStop = 0x01;
constexpr int kCruise1 = 0x40;
constexpr int kCruise2 = 0x20;
constexpr int kCruise3 = 0x80;

bool isJogSet(int bits)
{
    constexpr int all =
        FrameCommand::kRight | FrameCommand::kLeft | FrameCommand::kUp | FrameCommand::kDown;
    if ((bits & ~all) != 0)
        return false;
    // Right with left, or up with down, is not a direction the console can send.
    const bool bothPan = (bits & FrameCommand::kRight) && (bits & FrameCommand::kLeft);
    const bool bothTilt = (bits & FrameCommand::kUp) && (bits & FrameCommand::kDown);
    return !bothPan && !bothTilt;
}

int cruisePattern(int command2)
{
    switch (command2) {
    case kCruise1:
        return 1;
    case kCruise2:
        return 2;
    case kCruise3:
        return 3;
    default:
        return 0;
    }
}

QString directionText(int bits)
{
    QString text;
    if (bits & FrameCommand::kUp)
        text = QStringLiteral("up");
    else if (bits & FrameCommand::kDown)
        text = QStringLiteral("down");
    const char *pan = (bits & FrameCommand::kLeft)    ? "left"
                      : (bits & FrameCommand::kRight) ? "right"
                                                      : nullptr;
    if (pan)
        text += (text.isEmpty() ? QString() : QStringLiteral("-")) + QLatin1String(pan);
    return text.isEmpty() ? QStringLiteral("stop") : text;
}

QString speedText(int speed)
{
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(speed, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

FrameCommand decodeFrame(const QByteArray &frame)
{
    FrameCommand c;
    c.bytes = frame;
    if (frame.size() != 7)
        return c;
    c.address = quint8(frame.at(1));
    const int command1 = quint8(frame.at(2));
    const int command2 = quint8(frame.at(3));
    c.panSpeed = quint8(frame.at(4));
    c.tiltSpeed = quint8(frame.at(5));
    const bool restZero = command2 == 0 && c.panSpeed == 0 && c.tiltSpeed == 0;

    if (command1 == 0 && cruisePattern(command2) != 0) {
        c.kind = FrameCommand::Kind::CruiseStart;
        c.number = cruisePattern(command2);
    } else if (command1 == 0 && isJogSet(command2)) {
        c.kind = FrameCommand::Kind::Jog;
        c.directions = command2;
    } else if (restZero && command1 == kLampOn) {
        c.kind = FrameCommand::Kind::LampOn;
    } else if (restZero && command1 == kLampOff) {
        c.kind = FrameCommand::Kind::LampOff;
    } else if (restZero && command1 == kCruiseStop) {
        c.kind = FrameCommand::Kind::CruiseStop;
    } else if (restZero && command1 > kPresetSetBase && command1 <= kPresetSetBase + 9) {
        c.kind = FrameCommand::Kind::PresetSet;
        c.number = command1 - kPresetSetBase;
    } else if (restZero && command1 > kPresetRecallBase && command1 <= kPresetRecallBase + 9) {
        c.kind = FrameCommand::Kind::PresetRecall;
        c.number = command1 - kPresetRecallBase;
    }
    return c;
}

QString describe(const FrameCommand &c)
{
    const QString head = QStringLiteral("addr %1 ").arg(c.address, 2, 10, QLatin1Char('0'));
    const QString speeds =
        QStringLiteral(" pan %1 tilt %2").arg(speedText(c.panSpeed), speedText(c.tiltSpeed));
    switch (c.kind) {
    case FrameCommand::Kind::Jog:
        return head + QStringLiteral("jog ") + directionText(c.directions) + speeds;
    case FrameCommand::Kind::LampOn:
        return head + QStringLiteral("lamp on");
    case FrameCommand::Kind::LampOff:
        return head + QStringLiteral("lamp off");
    case FrameCommand::Kind::PresetSet:
        return head + QStringLiteral("preset set %1").arg(c.number);
    case FrameCommand::Kind::PresetRecall:
        return head + QStringLiteral("preset recall %1").arg(c.number);
    case FrameCommand::Kind::CruiseStart:
        return head + QStringLiteral("cruise start %1").arg(c.number) + speeds;
    case FrameCommand::Kind::CruiseStop:
        return head + QStringLiteral("cruise stop");
    case FrameCommand::Kind::Unknown:
        break;
    }
    return head + QStringLiteral("unknown ") + hexText(c.bytes);
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace headsim
