#pragma once

#include <QByteArray>
#include <QString>

namespace headsim {

// What one well-formed control frame asks of the head at its address.
struct FrameCommand
{
    enum class Kind {
        Jog,          // command 1 = 0, command 2 = direction bits (0 = stop motion)
        LampOn,       // 02 00 00 00
        LampOff,      // 04 00 00 00
        PresetSet,    // 60+n 00 00 00, n 1-9
        PresetRecall, // 30+n 00 00 00, n 1-9
        CruiseStart,  // 00 40 / 00 20 / 00 80 with pan and tilt speeds: patterns 1, 2, 3
        CruiseStop,   // 01 00 00 00
        Unknown,      // a checksum-correct frame with any other codes: counted, logged, no effect
    };

    // Command 2 bits of a jog; a diagonal is the sum of two.
    static constexpr int kRight = 0x02;
    static constexpr int kLeft = 0x04;
    static constexpr int kUp = 0x08;
    static constexpr int kDown = 0x10;

    Kind kind = Kind::Unknown;
    int address = 0;
    int directions = 0; // jog only
    int panSpeed = 0;   // data 1
    int tiltSpeed = 0;  // data 2
    int number = 0;     // preset 1-9 or cruise pattern 1-3
    QByteArray bytes;   // the seven bytes as received
};

// Reads a frame whose sync and checksum have already been checked.
FrameCommand decodeFrame(const QByteArray &frame);

// The command as one line of the simulator's log, for example "addr 01 jog up pan 0x00 tilt
// 0x3F"; see simulator.h for every form.
QString describe(const FrameCommand &command);

// Bytes as upper-case hex pairs separated by single spaces ("FF 01 02").
QString hexText(const QByteArray &bytes);

} // namespace headsim
