// Characteristics of the vessel the autopilot flies: torque and thrust
// capacities from its thruster groups, and its principal moments of inertia.
// Module-wide (one set for all instances); taken at each focus change and
// each instance construction, not refreshed in between.
#pragma once

#include "module/host_api.h"

extern VESSEL* controlVessel;   // the vessel whose characteristics are held
extern VECTOR3 pmi;             // mass-normalised principal moments (pitch, yaw, roll) [m^2]
extern double responseTime;     // [s] time in which the hold asks for a rate change
extern double axisTorque[3];    // pitch, yaw, roll capacity [N m]
extern double linearThrust[3];  // lateral, vertical, fore/aft capacity [N]
extern double engineThrust[3];  // main, retro, hover [N]

void setupVesselControl(VESSEL* vessel, double period);  // period [s]
void computeThrustCapacities(VESSEL* vessel);
double groupMaxThrust(VESSEL* vessel, THGROUP_TYPE group);  // [N]
double groupMaxTorque(VESSEL* vessel, THGROUP_TYPE group);  // [N m]
