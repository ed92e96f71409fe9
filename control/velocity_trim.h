// Velocity trim: nulls the velocity relative to the target along the selected
// vessel axes with the linear RCS levels, or with an engine for large changes.
#pragma once

#include <cstdint>

struct InstanceRecord;

void trimCommand(InstanceRecord& rec, int32_t selection);  // a TrimSelection
void toggleTrim(InstanceRecord& rec);
// stepLength [s]: the host step the levels will act for (positive, finite).
void trimStep(InstanceRecord& rec, double stepLength);
void trimLateral(InstanceRecord& rec, double stepLength);
void trimVertical(InstanceRecord& rec, double stepLength);
void trimForeAft(InstanceRecord& rec, double stepLength);
// Ends a running trim from outside (commands, the hold's automatic ends, a mode
// change): clears trimActive and sets the linear levels and the engine levels
// the selection uses to zero. Does nothing when no trim runs.
void endTrim(InstanceRecord& rec);
// The levels a trim of `selection` (a TrimSelection) flies, at zero on the
// focus vessel: the three linear levels and the engines the selection uses.
void stopTrimLevels(int32_t selection);
