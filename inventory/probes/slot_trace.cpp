#include "inventory/probes/slot_trace.h"

#include "common/trace.h"

void UnopenedSlots::Add(int slot, unsigned long error)
{
    if (first_ >= 0 && (slot != last_ + 1 || error != error_))
        Flush();
    if (first_ < 0) {
        first_ = slot;
        error_ = error;
    }
    last_ = slot;
}

void UnopenedSlots::Flush()
{
    if (first_ < 0)
        return;
    if (first_ == last_)
        Trace("orb2", "%s: PhysicalDrive%d not opened (error %lu)", probe_, first_, error_);
    else
        Trace("orb2", "%s: PhysicalDrive%d-%d not opened (error %lu)", probe_, first_, last_, error_);
    first_ = last_ = -1;
}
