#include "schedule/timecheck.h"

#include "protocol/decimaltext.h"

#include <QDate>
#include <QStringView>

#include <optional>

namespace schedule {

namespace {

// Between minDigits and maxDigits ASCII digits at pos, not followed by a further digit.
std::optional<int> number(QStringView text, qsizetype &pos, int minDigits, int maxDigits)
{
    const decimaltext::Digits run = decimaltext::read(text, pos);
    if (run.count < minDigits || run.count > maxDigits)
        return std::nullopt;
    pos = run.end;
    return int(run.value);
}

bool take(QStringView text, qsizetype &pos, QChar c)
{
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

// A time that runs to the end of the text.
bool isTimeToEnd(QStringView text, qsizetype pos)
{
    const auto hour = number(text, pos, 1, 2);
    if (!hour || !take(text, pos, QLatin1Char(':')))
        return false;
    const auto minute = number(text, pos, 2, 2);
    if (!minute || *minute > 59)
        return false;
    if (take(text, pos, QLatin1Char(':'))) {
        const auto second = number(text, pos, 2, 2);
        if (!second || *second > 59)
            return false;
    }
    if (pos == text.size())
        return *hour <= 23;
    if (!take(text, pos, QLatin1Char(' ')) || text.size() - pos != 2)
        return false;
    const QStringView marker = text.mid(pos);
    const bool amPm = marker.compare(u"AM", Qt::CaseInsensitive) == 0 ||
                      marker.compare(u"PM", Qt::CaseInsensitive) == 0;
    return amPm && *hour >= 1 && *hour <= 12;
}

// A date at pos; pos ends after it.
bool isDate(QStringView text, qsizetype &pos)
{
    const auto year = number(text, pos, 4, 4);
    if (!year || pos >= text.size())
        return false;
    const QChar separator = text[pos];
    if (separator != QLatin1Char('-') && separator != QLatin1Char('/'))
        return false;
    ++pos;
    const auto month = number(text, pos, 1, 2);
    if (!month || !take(text, pos, separator))
        return false;
    const auto day = number(text, pos, 1, 2);
    return day && QDate::isValid(*year, *month, *day);
}

} // namespace

bool isDateOrTime(const QString &text)
{
    const QStringView view(text);
    if (isTimeToEnd(view, 0))
        return true;
    qsizetype pos = 0;
    if (!isDate(view, pos))
        return false;
    if (pos == view.size())
        return true;
    return take(view, pos, QLatin1Char(' ')) && isTimeToEnd(view, pos);
}

} // namespace schedule
