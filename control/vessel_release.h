// Letting go of a vessel: when an instance stops controlling the vessel it
// flies (destroyed, its update slot taken, or the focus moved on), the levels
// its hold and trim set must not stay in force with nobody to change them.
#pragma once

struct InstanceRecord;

// Sets to zero the three rotation levels while the record's hold is on, and
// the levels its trim uses while a trim runs, on the vessel the module
// controls now. The record keeps its hold and trim, so that the saved settings
// still carry them.
void releaseVessel(const InstanceRecord& rec);
