#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace schedule {

class SlotStore;

// One time of one slot reached by the clock: the window sets the cruise pattern, sends the
// lamp burst and starts the one-second cruise delay, in the order the firings come.
struct SlotFiring
{
    int slot = 0;
    bool lampOn = true; // the on time fired; false: the off time
    int pattern = 0;    // ParseRowCruise of the slot's row when it fired

    friend bool operator==(const SlotFiring &, const SlotFiring &) = default;
};

// What the scan asks about row n of the timetable list. It asks only for slots whose stored
// time equals the clock text, so a tick in which nothing fires reads no row text at all.
using RowSelected = std::function<bool(int row)>;
using RowText = std::function<QString(int row)>;

// One scan of the clock tick, with the time text read once: for slots 0 to 98 in order, first
// the on check (row selected and Kai_n equal to the time, exact and case-sensitive), then the
// off check (row selected and Guan_n equal to the time). Each fired time is consumed ("0") at
// once, so it fires once. Empty and consumed times never match, and neither does an empty or
// "0" clock text. Nothing is allocated when nothing fires.
QList<SlotFiring> scanSlots(const QString &time, SlotStore &store, const RowSelected &isSelected,
                            const RowText &rowText);

} // namespace schedule
