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
