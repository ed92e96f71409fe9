// The host's objects as the target list sees them.
#pragma once

#include <vector>

#include "hostapi/host_api.h"

// Distance [m] of an object from the focus vessel: the length of the focus
// vessel's GetRelativePos of it. 0 when there is no focus vessel.
double objectDistance(const VESSEL* focus, OBJHANDLE object);

// The handles of every object the host enumerates now, sorted by address so
// that containsObject can search them.
std::vector<OBJHANDLE> sortedHostObjects();
bool containsObject(const std::vector<OBJHANDLE>& sortedObjects, OBJHANDLE object);
