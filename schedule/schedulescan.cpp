#include "schedule/schedulescan.h"

#include "schedule/slotstore.h"
#include "schedule/timetable.h"

namespace schedule {

QList<SlotFiring> scanSlots(const QString &time, SlotStore &store, const RowSelected &isSelected,
                            const RowText &rowText)
{
    QList<SlotFiring> firings;
    if (time.isEmpty() || time == SlotStore::kConsumed)
        return firings;
    for (int n = 0; n < kRowCount; ++n) {
        // The stored time first: nearly every slot fails there without touching the list.
        if (store.kai(n) == time && isSelected(n)) {
            firings.append({n, true, ParseRowCruise(rowText(n))});
            store.consumeOn(n);
        }
        if (store.guan(n) == time && isSelected(n)) {
            firings.append({n, false, ParseRowCruise(rowText(n))});
            store.consumeOff(n);
        }
    }
    return firings;
}

} // namespace schedule
