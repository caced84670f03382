#pragma once

// How the simulated head moves
//
// Every address 0-255 is a head of its own with pan, tilt, lamp, nine presets and one motion at
// a time (still, jog, cruise or travel). A head starts at pan 0, tilt 90, lamp off, no presets.
// Pan grows to the right and wraps: 0 <= pan < 360. Tilt grows upwards and stops at 0 and 180.
//
// Speed byte s to degrees per second (the same curve for pan and tilt, rising with s):
//   s = 0           0, the axis stands still
//   s = 1 .. 0x3F   0.5 * 80^((s - 1) / 62): 0.5 at 1, about 4.5 at 0x20, 40 at 0x3F; fine control
//                   at low speeds, as on Pelco-style heads
//   s = 0x40 .. 0x63  turbo, straight from 40 up to 80 at 0x63
//   s > 0x63        80
//
// Jog: a motion frame moves the axes named by its direction bits at the rates of its pan
// (data 1) and tilt (data 2) bytes; an axis not named stands still. The head keeps going until
// 100 ms after the last motion frame for its address, then stops dead; a motion frame with no
// direction bit stops it at once. A jog ends a cruise or a travel.
// Cruise: pattern 1 turns the pan to the right without end at the rate of data 1; pattern 2
// sweeps the tilt up to 180 and down to 0 and back at the rate of data 2; pattern 3 does both.
// It runs until a stop-cruise frame, "Rssssssssss", a jog, a recall or a go-to. Starting a cruise
// while one runs changes its pattern and rates.
// Travel: recalling a preset, or a go-to-angle text command, moves each axis at a fixed
// 90 degrees per second straight to the target (the pan the shorter way round); each axis stops
// on its own when it gets there. The speed texts of a go-to are not used: the console writes
// them unseparated, so "635" cannot be split reliably. Recalling a preset never set does nothing.
// Setting a preset stores the exact current position.
//
// Motion is linear in time and the model is advanced to a given millisecond, so the result does
// not depend on how often or how evenly it is advanced.
//
// Left out: acceleration and inertia, backlash and overshoot, end stops other than the tilt
// limits, zoom, focus and iris, any reply other than the position, the lamp's warm-up, and a
// separate speed for a travel. Turbo is a ramp here, where Pelco-style heads have one step.

#include "tools/headsim/framecommand.h"
#include "tools/headsim/textcommand.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace headsim {

// Where a head points, in degrees: pan 0 <= pan < 360, tilt 0-180.
struct Position
{
    double pan = 0;
    double tilt = 90;
};

// Everything the simulator knows about the head at one address.
struct HeadState
{
    enum class Motion { Still, Jog, Cruise, Travel };

    Position position;
    bool lamp = false;
    std::array<std::optional<Position>, 9> presets;
    Motion motion = Motion::Still;
    int cruise = 0;      // pattern 1-3 while cruising, else 0
    double panRate = 0;  // degrees per second: signed for a jog, size for a cruise
    double tiltRate = 0; // the same for the tilt
    int tiltSweep = 1;   // direction of a cruise's tilt sweep: +1 up, -1 down
    qint64 jogUntil = 0; // a jog stops at this millisecond
    Position target;     // where a travel goes
};

// The heads at every address and how they move with time; see the top of this file.
class HeadModel
{
public:
    static constexpr qint64 kJogHoldMs = 100;
    static constexpr double kTravelRate = 90;
    static constexpr int kAddresses = 256;

    explicit HeadModel(qint64 startMs = 0);

    // Degrees per second for a speed byte (0-255).
    static double rateForSpeed(int speed);
    // The answer to the position query: "T", pan and tilt as three digits each (rounded to the
    // nearest degree), "llll"; eleven bytes.
    static QByteArray positionReply(const Position &position);

    // Moves every head up to nowMs; a time before the last one is ignored.
    void advance(qint64 nowMs);
    // Both apply the command at nowMs, after moving everything up to that time. Text commands
    // act on the address of the last frame (0 before any frame); the result is the reply to
    // send back, empty when there is none.
    void apply(const FrameCommand &command, qint64 nowMs);
    QByteArray apply(const TextCommand &command, qint64 nowMs);

    const HeadState &head(int address) const { return m_heads.at(address); }
    int currentAddress() const { return m_current; }
    bool moving() const;

private:
    void jog(HeadState &head, const FrameCommand &command, qint64 nowMs);
    void startCruise(HeadState &head, const FrameCommand &command);
    static void travelTo(HeadState &head, Position target);
    static void advanceHead(HeadState &head, qint64 from, qint64 to);

    std::array<HeadState, kAddresses> m_heads;
    int m_current = 0;
    qint64 m_now = 0;
};

} // namespace headsim
