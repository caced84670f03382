#include "protocol/decimaltext.h"

namespace decimaltext {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

Digits read(QStringView text, qsizetype from, Blanks blanks)
{
    Digits run;
    run.end = from;
    qsizetype pos = from;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (isDigit(c)) {
            ++run.count;
            if (run.value != Digits::kTooLarge) {
                run.value = run.value * 10 + (c.unicode() - u'0');
                if (run.value > Digits::kLargest)
                    run.value = Digits::kTooLarge;
            }
            run.end = ++pos;
        } else if (isBlank(c) &&
                   (blanks == Blanks::Anywhere || (blanks == Blanks::Before && run.count == 0))) {
            ++pos;
        } else {
            break;
        }
    }
    return run;
}

std::optional<int> whole(QStringView text, int largest, int maxDigits)
{
    const Digits run = read(text);
    if (run.count == 0 || run.end != text.size() || (maxDigits > 0 && run.count > maxDigits) ||
        run.value == Digits::kTooLarge || run.value > largest)
        return std::nullopt;
    return int(run.value);
}

} // namespace decimaltext
