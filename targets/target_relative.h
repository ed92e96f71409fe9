// The target-relative figures: where the target lies and how it moves, seen
// from the focus vessel in its own axes.
#pragma once

#include "hostapi/host_api.h"

struct InstanceRecord;

// Position, velocity and range rate of the selected target, and the pitch and
// yaw of the line of sight as the deviations; without a target all of them are
// cleared. vesselPos: the vessel's global position at the moment of
// computation [m]. Does nothing without a focus vessel.
void updateTargetRelativeAt(InstanceRecord& rec, const VECTOR3& vesselPos);
// The same, outside a refresh (a target selection): the vessel's position is
// read anew. Does nothing without a focus vessel.
void updateTargetRelative(InstanceRecord& rec);
// No target: figures and deviations at zero (the page shows none of them).
void clearTargetRelative(InstanceRecord& rec);
