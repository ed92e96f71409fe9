// Two-body prediction of the next descending crossing of the focus vessel's
// orbit through its reference body's atmospheric entry interface.
#pragma once

#include "hostapi/host_api.h"
#include "instance/predicted_entry.h"

// Fills the record for the focus vessel (hapiGetFocusInterface). Clears valid
// first; sets it last, only when a crossing lies ahead.
void predictEntryInterface(EntryPrediction& prediction);
