#include "control/stickmotion.h"

#include "protocol/frame.h"

#include <algorithm>
#include <cmath>

namespace stick {

double deflection(qint16 raw)
{
    // The negative end reaches one step further than the positive one.
    return std::clamp(double(raw) / 32767.0, -1.0, 1.0);
}

double share(double deflection, const Shape &shape)
{
    const double size = std::min(std::abs(deflection), 1.0);
    const double zone =
        std::clamp(shape.deadZone, kMinDeadZonePercent / 100.0, kMaxDeadZonePercent / 100.0);
    if (size <= zone)
        return 0;
    double beyond = (size - zone) / (1.0 - zone);
    if (shape.curve == Curve::Squared)
        beyond *= beyond;
    return std::copysign(beyond, deflection);
}

std::optional<Motion> motionOf(double x, double y, const Shape &shape)
{
    // The device's y grows downwards; the head's tilt grows upwards.
    Motion motion{share(shape.invertPan ? -x : x, shape), share(shape.invertTilt ? y : -y, shape)};
    if (motion.pan == 0 && motion.tilt == 0)
        return std::nullopt;
    return motion;
}

quint8 speedFor(double share, quint8 top)
{
    const double size = std::min(std::abs(share), 1.0);
    if (size == 0 || top == 0)
        return 0;
    return quint8(1 + std::lround(size * (top - 1)));
}

quint8 directionBits(const Motion &motion)
{
    quint8 bits = 0;
    if (motion.pan > 0)
        bits |= protocol::kRightBit;
    else if (motion.pan < 0)
        bits |= protocol::kLeftBit;
    if (motion.tilt > 0)
        bits |= protocol::kUpBit;
    else if (motion.tilt < 0)
        bits |= protocol::kDownBit;
    return bits;
}

} // namespace stick
