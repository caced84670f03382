// Any text in an angle box with any range end: the number read must be the plain numeric reading
// of the text, and the box keeps exactly the texts in range, with the prefix of their value.
#include "fuzzsupport.h"
#include "protocol/anglecheck.h"

#include <cstdlib>
#include <string>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A second reader, built another way: throw the blanks away first, then take the longest
// [sign] digits [. digits] [E|e|D|d [sign] digits] at the start and hand it to strtod (the
// harness never changes the C library's locale). No digit before the exponent reads as 0.
double plainReading(const QString &text)
{
    std::string s;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        // Anything outside ASCII ends a number; 0x01 stands for it.
        s += c.unicode() < 0x80 ? char(c.unicode()) : '\x01';
    }
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number += s[i++];
    std::size_t digits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++digits)
        number += s[i];
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        for (; i < s.size() && isDigit(s[i]); ++i, ++digits)
            number += s[i];
    }
    if (digits == 0)
        return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent += s[j++];
        const std::size_t start = j;
        for (; j < s.size() && isDigit(s[j]); ++j)
            exponent += s[j];
        if (j > start)
            number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

int rangeEndOf(FuzzedDataProvider &input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return 360;
    case 1:
        return 180;
    case 2:
        return input.ConsumeIntegralInRange(-5, 1000);
    default:
        return input.ConsumeIntegral<int>();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int rangeEnd = rangeEndOf(input);
    const QString text = fuzz::textOf(fuzz::bytesOf(input.ConsumeRemainingBytesAsString()));

    const double want = plainReading(text);
    const double got = protocol::leadingNumber(text);
    const QString detail = QStringLiteral("text \"%1\" range end %2 got %3 want %4")
                               .arg(fuzz::escaped(text))
                               .arg(rangeEnd)
                               .arg(got, 0, 'g', 17)
                               .arg(want, 0, 'g', 17);
    fuzz::require(got == want, "leading number", detail);

    const protocol::AngleCheck check = protocol::checkAngle(text, rangeEnd);
    const bool inRange = want >= 0.0 && want <= rangeEnd;
    fuzz::require(check.accepted == inRange, "accepted exactly in range", detail);
    if (!inRange) {
        fuzz::require(check.stored.isEmpty(), "refused text stores nothing", detail);
        return 0;
    }
    const QString prefix = want < 10.0    ? QStringLiteral("00")
                           : want < 100.0 ? QStringLiteral("0")
                                          : QString();
    fuzz::require(check.stored == prefix + text, "prefix by value", detail);
    return 0;
}
