// The attitude hold and the per-step control entry.
#pragma once

struct InstanceRecord;

// Once per simulation step for each slotted instance: the hold, its automatic
// ends, then the velocity trim.
void controlStep(InstanceRecord& rec);
void toggleHold(InstanceRecord& rec);
// Commands the rotation level of one axis (0 pitch, 1 yaw, 2 roll) of the
// control vessel from its deviation [rad] and tolerance [rad].
void holdAxis(int axis, double deviation, double tolerance);
void nullAxisRate(int axis);
// Switches the hold off and sets the three rotation levels to zero.
void endHold(InstanceRecord& rec);
