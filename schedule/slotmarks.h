#pragma once

#include <QString>

#include <optional>

namespace schedule {

class TimetableData;

// Where one time of one slot stands: it will fire when the clock shows it (the row is selected
// and the time was confirmed in this run), it has fired, or it will not fire.
enum class SlotMark { NotArmed, Armed, Fired };

SlotMark onMark(const TimetableData &data, int slot);
SlotMark offMark(const TimetableData &data, int slot);

// "开灯：待执行；关灯：已执行", the row's accessible description and tooltip.
QString marksText(SlotMark on, SlotMark off);
// The word of one mark ("待执行", "已执行", "未生效").
QString markWord(SlotMark mark);

// The firing the clock reaches next after the time text now ("HH:mm:ss"): the earliest armed
// time later than now today, else the earliest armed time at all, which the clock reaches
// tomorrow. On and off of one slot at the same time: the on time first, as the scan fires it.
struct NextFiring
{
    QString time;
    int slot = 0;
    bool lampOn = true;
    int pattern = 0;
    bool tomorrow = false;
};
std::optional<NextFiring> nextFiring(const TimetableData &data, const QString &now);

// The line under the list: the next firing, or that selected rows hold times none of which is
// armed, or that there is nothing to do.
QString nextLine(const TimetableData &data, const QString &now);

} // namespace schedule
