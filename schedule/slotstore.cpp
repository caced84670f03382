#include "schedule/slotstore.h"

namespace schedule {

namespace {
const QString kNone;
}

const QString &SlotStore::kai(int slot) const
{
    return inRange(slot) ? m_kai[slot] : kNone;
}

const QString &SlotStore::guan(int slot) const
{
    return inRange(slot) ? m_guan[slot] : kNone;
}

void SlotStore::StoreSlotTimes(int slot, const QString &onTime, const QString &offTime)
{
    if (!inRange(slot))
        return;
    m_kai[slot] = onTime;
    m_guan[slot] = offTime;
}

void SlotStore::consumeOn(int slot)
{
    if (inRange(slot))
        m_kai[slot] = kConsumed;
}

void SlotStore::consumeOff(int slot)
{
    if (inRange(slot))
        m_guan[slot] = kConsumed;
}

} // namespace schedule
