// The four reference attitudes, built at selection and at each refresh.
#pragma once

struct InstanceRecord;

void captureUserReference(InstanceRecord& rec);    // mode 1: the vessel's own orientation
void refreshUserReference(InstanceRecord& rec);    // mode-1 refresh: deviation only
void buildVelocityReference(InstanceRecord& rec);  // mode 2
void buildEntryReference(InstanceRecord& rec);     // mode 4
// Mode 3 is the target-relative figures (targets/target_relative.h).
// The refresh computation of the current refMode (any other value runs nothing).
void refreshReference(InstanceRecord& rec);
// The entry computation of a newly selected mode (1..4).
void enterReferenceMode(InstanceRecord& rec, int mode);
