// Target selection commands of target-relative mode.
#pragma once

#include "targets/target_list.h"

class GyrelleMFD;

void enterTargetMode(GyrelleMFD& mfd);
void closestTarget(GyrelleMFD& mfd);
void nextTarget(GyrelleMFD& mfd);
void previousTarget(GyrelleMFD& mfd);
bool selectTargetByName(GyrelleMFD& mfd, const char* name);
// Input-box callback of "Select Target"; userData is the instance.
bool targetNameEntered(void* id, char* text, void* userData);
bool selectBaseTarget(GyrelleMFD& mfd);

void refreshTargetList(GyrelleMFD& mfd);
void rebuildTargetList(GyrelleMFD& mfd);
void sortTargetList(TargetList& list);
bool isFarther(const TargetNode* a, const TargetNode* b);
void selectCurrentTarget(GyrelleMFD& mfd);

// Whether the selected target still exists in the host's world. A target that
// has gone is dropped: no target, no figures, and a hold or trim on it ends.
// Returns true when a target is selected and exists.
bool checkTarget(GyrelleMFD& mfd);
