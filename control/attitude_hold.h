// The attitude hold and the per-step control entry.
#pragma once

struct InstanceRecord;

// Once per simulation step for each slotted instance: the hold, its automatic
// ends, then the velocity trim. stepLength [s] is the host step the levels
// will act for: positive and finite (the per-step update ignores others).
void controlStep(InstanceRecord& rec, double stepLength);
void toggleHold(InstanceRecord& rec);
// Commands the rotation level of one axis (0 pitch, 1 yaw, 2 roll) of the
// control vessel from its deviation [rad] and tolerance [rad], for a level
// that acts for stepLength [s].
void holdAxis(int axis, double deviation, double tolerance, double stepLength);
void nullAxisRate(int axis, double stepLength);
