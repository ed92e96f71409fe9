// Target selection commands of target-relative mode.
#pragma once

#include "instance/target_list.h"

struct InstanceRecord;

void enterTargetMode(InstanceRecord& rec);
void closestTarget(InstanceRecord& rec);
void nextTarget(InstanceRecord& rec);
void previousTarget(InstanceRecord& rec);
bool selectTargetByName(InstanceRecord& rec, const char* name);
// Input-box callback of "Select Target"; userData is the instance's token
// (state/module_state.h).
bool targetNameEntered(void* id, char* text, void* userData);
bool selectBaseTarget(InstanceRecord& rec);

void refreshTargetList(InstanceRecord& rec);
void rebuildTargetList(InstanceRecord& rec);
void sortTargetList(TargetList& list);
bool isFarther(const TargetNode* a, const TargetNode* b);
void selectCurrentTarget(InstanceRecord& rec);

// Whether the selected target still exists in the host's world. A target that
// has gone is dropped: no target, no figures, and a hold or trim on it ends.
// Returns true when a target is selected and exists.
bool checkTarget(InstanceRecord& rec);
