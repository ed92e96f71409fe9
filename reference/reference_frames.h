// The four reference attitudes, built at selection and at each refresh.
#pragma once

#include "instance/ref_mode.h"

struct InstanceRecord;

void captureUserReference(InstanceRecord& rec);    // user attitude: the vessel's own orientation
void refreshUserReference(InstanceRecord& rec);    // user-attitude refresh: deviation only
void buildVelocityReference(InstanceRecord& rec);  // velocity
void buildEntryReference(InstanceRecord& rec);     // entry interface
// Target-relative mode's figures: targets/target_relative.h.
// The refresh computation of the current refMode (a value that is not a mode runs nothing).
void refreshReference(InstanceRecord& rec);
// The entry computation of a newly selected mode.
void enterReferenceMode(InstanceRecord& rec, RefMode mode);
