#include "schedule/slotmarks.h"

#include "schedule/scheduletexts.h"
#include "schedule/timetable.h"
#include "schedule/timetabledata.h"

#include <QTime>

namespace schedule {

namespace {

const QString kClockFormat = QStringLiteral("HH:mm:ss");

// The clock shows every time of day as "HH:mm:ss"; a time typed in any other way never equals
// it, so it never fires.
bool clockCanShow(const QString &time)
{
    const QTime t = QTime::fromString(time, kClockFormat);
    return t.isValid() && t.toString(kClockFormat) == time;
}

SlotMark mark(const TimetableData &data, int slot, const QString &time)
{
    if (time == SlotStore::kConsumed)
        return SlotMark::Fired;
    if (data.isEnabled(slot) && clockCanShow(time))
        return SlotMark::Armed;
    return SlotMark::NotArmed;
}

} // namespace

SlotMark onMark(const TimetableData &data, int slot)
{
    return mark(data, slot, data.slotStore().kai(slot));
}

SlotMark offMark(const TimetableData &data, int slot)
{
    return mark(data, slot, data.slotStore().guan(slot));
}

QString markWord(SlotMark m)
{
    using namespace scheduletexts;
    switch (m) {
    case SlotMark::Armed:
        return kMarkArmed;
    case SlotMark::Fired:
        return kMarkFired;
    case SlotMark::NotArmed:
        break;
    }
    return kMarkNotArmed;
}

QString marksText(SlotMark on, SlotMark off)
{
    using namespace scheduletexts;
    return kMarkOn + QStringLiteral("：") + markWord(on) + QStringLiteral("；") + kMarkOff +
           QStringLiteral("：") + markWord(off);
}

std::optional<NextFiring> nextFiring(const TimetableData &data, const QString &now)
{
    std::optional<NextFiring> today;
    std::optional<NextFiring> first;
    // Later wins only when strictly earlier, so for one time the scan's order (slot, then on
    // before off) decides, as it does at the clock.
    const auto consider = [&](std::optional<NextFiring> &best, const NextFiring &candidate) {
        if (!best || candidate.time < best->time)
            best = candidate;
    };
    for (int n = 0; n < kRowCount; ++n) {
        for (const bool on : {true, false}) {
            if ((on ? onMark(data, n) : offMark(data, n)) != SlotMark::Armed)
                continue;
            const NextFiring candidate{on ? data.slotStore().kai(n) : data.slotStore().guan(n), n,
                                       on, ParseRowCruise(data.rowText(n)), false};
            // "HH:mm:ss" texts sort as the times they show.
            if (candidate.time > now)
                consider(today, candidate);
            consider(first, candidate);
        }
    }
    if (today)
        return today;
    if (first)
        first->tomorrow = true;
    return first;
}

QString nextLine(const TimetableData &data, const QString &now)
{
    using namespace scheduletexts;
    if (const std::optional<NextFiring> next = nextFiring(data, now)) {
        QString what = next->lampOn ? kNextLampOn : kNextLampOff;
        if (next->pattern >= 1 && next->pattern <= 3) {
            static const QString names[] = {kCruiseOne, kCruiseTwo, kCruiseThree};
            what += next->lampOn ? kNextCruiseStart.arg(names[next->pattern - 1]) : kNextCruiseStop;
        }
        return (next->tomorrow ? kNextTomorrow : kNextToday)
            .arg(next->time, QStringLiteral("%1").arg(next->slot, 2, 10, QLatin1Char('0')),
                 QStringLiteral(" ") + what);
    }
    int waiting = 0;
    for (int n = 0; n < kRowCount; ++n) {
        // A selected row whose times have both fired is done for the run, not waiting.
        if (data.isEnabled(n) &&
            (onMark(data, n) == SlotMark::NotArmed || offMark(data, n) == SlotMark::NotArmed))
            ++waiting;
    }
    if (waiting > 0)
        return kNothingArmed.arg(waiting);
    return kNothingToDo;
}

} // namespace schedule
