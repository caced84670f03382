#pragma once

#include "schedule/timetable.h"

#include <QString>

#include <array>

namespace schedule {

// The on and off times of the 99 slots (Kai_0..Kai_98, Guan_0..Guan_98) that the clock scan
// compares with the time of day. Only confirming a row in the editor fills a slot, and a fired
// time is consumed; loading the saved rows at start-up leaves the store empty. One store lives
// for the whole run, whether the editor is shown, hidden or never opened.
class SlotStore
{
public:
    // What a fired time becomes; the clock text is never "0", so it cannot fire again.
    static inline const QString kConsumed = QStringLiteral("0");

    // On time (Kai_n) and off time (Guan_n) of slot n, exactly as typed; empty when never
    // confirmed and for n outside 0..98.
    const QString &kai(int slot) const;
    const QString &guan(int slot) const;

    // Sets both times of slot n as typed, without trimming; nothing for n outside 0..98.
    void StoreSlotTimes(int slot, const QString &onTime, const QString &offTime);

    // The scan has fired this time of slot n: it becomes "0". Nothing for n outside 0..98.
    void consumeOn(int slot);
    void consumeOff(int slot);

private:
    static bool inRange(int slot) { return slot >= 0 && slot < kRowCount; }

    std::array<QString, kRowCount> m_kai;
    std::array<QString, kRowCount> m_guan;
};

} // namespace schedule
