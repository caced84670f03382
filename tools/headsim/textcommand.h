#pragma once

#include <QByteArray>
#include <QString>

namespace headsim {

// What one text command asks of the head last addressed by a frame.
struct TextCommand
{
    enum class Kind {
        LampOn,  // "Roooooooooo"
        LampOff, // "Rcccccccccc"
        Stop,    // "Rssssssssss": ends any motion, a cruise included
        Query,   // "Rllllllllll": answered with the position
        GoTo,    // "R" + pan (3 characters) + tilt (3 characters) + speed texts
        Bad,     // none of the above
    };

    Kind kind = Kind::Bad;
    QByteArray raw;
    double pan = 0;
    double tilt = 0;
    QByteArray speeds; // the speed texts as sent, kept for the log only
    QString reason;    // why a bad command was refused
};

// Reads one text command as cut from the stream. A go-to is read as the three characters after
// "R" for the pan (0-360), the next three for the tilt (0-180) and the rest as the speed texts,
// which are not split: "R060060635" has pan 060, tilt 060 and speeds "635".
TextCommand parseText(const QByteArray &raw);

// The raw text for the log: printable ASCII as is, anything else as \xHH.
QString printable(const QByteArray &raw);

} // namespace headsim
