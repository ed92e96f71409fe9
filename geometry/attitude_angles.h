// The attitude deviations shown on the display and driven to zero by the hold.
// Triples are (pitch, yaw, roll) [rad]: component i is the rotation about
// vessel axis i (x lateral, y vertical, z forward). Orientation-angle
// convention: geometry/vector_math.h.
#pragma once

#include "hostapi/host_api.h"

// The vessel's orientation relative to the wanted attitude, the reference frame
// refAttitude (orientation angles in global axes) turned by the user offsets
// attOffset (orientation angles relative to that frame). globalPos is the
// vessel's global position [m] at this moment: adding it turns the host's
// point transformation Global2Local into a pure rotation of directions.
// Pitch is positive when the wanted forward axis lies on the vessel's -y side,
// yaw when it lies on the +x side. (0, 0, 0) in the wanted attitude.
VECTOR3 attitudeDeviation(const VECTOR3& refAttitude, const VECTOR3& attOffset,
                          const VECTOR3& globalPos, const VESSEL& vessel);

// Line-of-sight angles (pitch, yaw, 0) [rad] of a direction d in vessel axes:
// pitch in [-pi/2, pi/2], positive when d lies on the -y side of the nose;
// yaw in [-pi, pi], positive on the +x side. The yaw is NaN only where it has
// no meaning, for d = 0 or d on the y axis (the pitch too for d = 0); any other
// direction, however close to the y-z plane, gives a number.
VECTOR3 directionAngles(const VECTOR3& d);
