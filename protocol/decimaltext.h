#pragma once

#include <QStringView>

#include <optional>

// Reading the decimal numbers operators type and files hold: a run of ASCII digits, never the
// toolkit's number parsers, which also take signs, blanks, other scripts' digits or stop at a NUL.
namespace decimaltext {

// Where blanks (space and tab) may stand in the run.
enum class Blanks {
    None,     // the run starts at once and ends at the first character that is not a digit
    Before,   // blanks before the first digit are passed over
    Anywhere, // blanks before and between the digits are passed over
};

// A run of digits read from a text.
struct Digits
{
    int count = 0;       // digits in the run
    long long value = 0; // their value; kTooLarge once it passes kLargest
    qsizetype end = 0;   // where the reading stopped: just after the run, or at the start
                         // position when there was none

    static constexpr long long kLargest = 999'999'999;
    static constexpr long long kTooLarge = -1;
};

// The run of digits in text from position from on.
Digits read(QStringView text, qsizetype from = 0, Blanks blanks = Blanks::None);

// The whole text as a number from 0 to largest: ASCII digits only (at least one, at most
// maxDigits when that is above 0); anything else is no value.
std::optional<int> whole(QStringView text, int largest, int maxDigits = 0);

} // namespace decimaltext
