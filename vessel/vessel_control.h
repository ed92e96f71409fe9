// Characteristics of the vessel the autopilot flies (VesselCharacteristics,
// held module-wide in moduleState.control): torque and thrust capacities from
// its thruster groups, and its principal moments of inertia.
#pragma once

#include "hostapi/host_api.h"

// Takes `vessel`'s characteristics into moduleState.control (a null vessel
// keeps the last ones but flies none); a period above 0.01 s becomes the
// hold's response time.
void setupVesselControl(VESSEL* vessel, double period);  // period [s]
void computeThrustCapacities(VESSEL* vessel);
double groupMaxThrust(VESSEL* vessel, THGROUP_TYPE group);  // [N]
double groupMaxTorque(VESSEL* vessel, THGROUP_TYPE group);  // [N m]
