#pragma once

#include <QtGlobal>

#include <optional>

// How a stick's deflection becomes motion: a dead zone around the centre on each axis, an
// optional inversion of either axis and a response curve, then a speed byte from 1 up to the
// operator's top speed. Plain arithmetic, with no device behind it.
namespace stick {

enum class Curve { Linear, Squared };

struct Shape
{
    // Share of the travel on either side of the centre, 0 to 0.9, in which an axis counts as
    // centred.
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

// One axis: 0 inside the dead zone; beyond it the distance from the dead zone's edge as a share
// of the rest of the travel, shaped by the curve, with the deflection's sign.
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
