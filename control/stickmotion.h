#pragma once

#include <QtGlobal>

#include <optional>

// How a stick's deflection becomes motion: a dead zone around the centre on each axis, an
// optional inversion of either axis and a response curve, then a speed byte from 1 up to the
// operator's top speed. Plain arithmetic, with no device behind it.
namespace stick {

enum class Curve { Linear, Squared };

// The dead zone's bounds in whole per cent of the travel. The smallest is there because a resting
// stick drifts a little off the centre (half a per cent is common on a gamepad), and that drift
// must never drive the head.
inline constexpr int kMinDeadZonePercent = 5;
inline constexpr int kMaxDeadZonePercent = 90;

struct Shape
{
    // Share of the travel on either side of the centre in which an axis counts as centred,
    // within the bounds above.
    double deadZone = 0.15;
    bool invertPan = false;
    bool invertTilt = false;
    Curve curve = Curve::Linear;

    bool operator==(const Shape &) const = default;
};

// What the stick asks of the head: per axis, the share of the top speed, signed (pan right and
// tilt up positive), 0 for an axis inside the dead zone.
struct Motion
{
    double pan = 0;
    double tilt = 0;

    bool operator==(const Motion &) const = default;
};

// A raw axis reading (-32768 .. 32767) as a deflection -1 .. 1.
double deflection(qint16 raw);

// One axis: 0 inside the dead zone (taken within its bounds); beyond it the distance from the dead
// zone's edge as a share of the rest of the travel, shaped by the curve, with the deflection's
// sign.
double share(double deflection, const Shape &shape);

// The stick's two deflections as the device reports them (x to the right, y downwards) to its
// motion; nothing while both axes are inside the dead zone.
std::optional<Motion> motionOf(double x, double y, const Shape &shape);

// The speed byte for a share of the top speed: 1 just outside the dead zone up to top at full
// deflection, in proportion between; 0 for a share of 0 or a top of 0.
quint8 speedFor(double share, quint8 top);

// The direction bits of a motion frame for the signs of the two shares.
quint8 directionBits(const Motion &motion);

} // namespace stick
