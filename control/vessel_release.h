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

// What carries over when the instance stops flying its vessel.
enum class VesselChange {
  kFocusMoved,  // to another vessel: an attitude hold carries over; a trim and a
                // target-relative hold were set up against the last vessel's
                // motion and end (the pilot engages them again)
  kNoVessel,    // no focus vessel, or the instance lost its update slot:
                // nothing is flown, so hold and trim both end
};

// releaseVessel, then ends the hold and trim that do not carry over.
void leaveVessel(InstanceRecord& rec, VesselChange change);
