#pragma once

#include <QString>

// Checking what the operator types into an angle box, keystroke by keystroke.
namespace protocol {

// The number at the start of a text, read as a desktop number reader reads it: blanks anywhere are
// skipped, an optional sign, digits, one period as decimal point, an optional exponent
// (E or D, optional sign, digits); reading stops at the first character that cannot continue the
// number. No leading number (also the empty text) reads as 0.
double leadingNumber(const QString &text);

struct AngleCheck
{
    bool accepted = false;
    QString stored; // when accepted: "00" + text below 10, "0" + text below 100, else the text
};

// 0 <= v <= rangeEnd is accepted (the prefix is chosen by the value, not the length);
// anything else is refused.
AngleCheck checkAngle(const QString &text, int rangeEnd);

// The refusal message for a box with this range end.
QString angleRangeMessage(int rangeEnd);

} // namespace protocol
