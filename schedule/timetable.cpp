#include "schedule/timetable.h"

#include "schedule/scheduletexts.h"

#include <QStringView>

namespace schedule {

QString rowText(int slot, const QString &onTime, const QString &offTime, const QString &cruiseWord)
{
    using namespace scheduletexts;
    return QString::number(slot).rightJustified(2, QLatin1Char('0')) + QLatin1Char(' ') + kOnLabel +
           onTime + kGap + kOffLabel + offTime + kGap + kCruiseLabel + cruiseWord;
}

QString designRow(int slot)
{
    using namespace scheduletexts;
    return rowText(slot, kDesignTime, kDesignTime, kDesignCruiseWord);
}

QString cruiseWordOfCheck(int check)
{
    using namespace scheduletexts;
    switch (check) {
    case 1:
        return kNoCruise;
    case 2:
        return kCruiseOne;
    case 3:
        return kCruiseTwo;
    case 4:
        return kCruiseThree;
    default:
        return {};
    }
}

int ParseRowCruise(const QString &row)
{
    // Runs for every firing of the clock scan: find the eighth piece in place, no splitting.
    constexpr int kPieces = 8;
    int separators = 0;
    qsizetype eighthStart = -1;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QChar c = row.at(i);
        if (c != QLatin1Char(':') && c != QChar(0xFF1A))
            continue;
        if (++separators == kPieces)
            return 0; // a ninth piece: the row is not one the editor builds
        if (separators == kPieces - 1)
            eighthStart = i + 1;
    }
    if (eighthStart < 0)
        return 0;
    const QStringView word = QStringView(row).mid(eighthStart);
    if (word == scheduletexts::kCruiseOne)
        return 1;
    if (word == scheduletexts::kCruiseTwo)
        return 2;
    if (word == scheduletexts::kCruiseThree)
        return 3;
    return 0;
}

} // namespace schedule
