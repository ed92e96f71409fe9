// The levels the autopilot sets on the focus vessel, and the ends of the hold
// and the trim from outside their laws (a command, a lost target, a mode
// change, a docking): below both the target commands and the control laws,
// which each end them. Every level is limited to [-1, +1] (thruster_level.h)
// and nothing is sent when there is no focus vessel.
#pragma once

#include <cstdint>

#include "hostapi/host_api.h"

struct InstanceRecord;

void setLinearLevel(int axis, double level);  // axis: 0 lateral, 1 vertical, 2 fore/aft
void setEngineLevel(ENGINETYPE engine, double level);
void stopLinearLevels();
void stopRotation();

// Switches the hold off and sets the three rotation levels to zero.
void endHold(InstanceRecord& rec);
// Ends a running trim: clears trimActive and sets the linear levels and the
// engine levels the selection uses to zero. Does nothing when no trim runs.
void endTrim(InstanceRecord& rec);
// The levels a trim of `selection` (a TrimSelection) flies, at zero on the
// focus vessel: the three linear levels and the engines the selection uses.
void stopTrimLevels(int32_t selection);
