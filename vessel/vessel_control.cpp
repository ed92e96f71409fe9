// Torque and thrust capacities of the vessel the autopilot flies, from its
// thruster groups. Each rotation axis is served by a pair of groups, one for
// each sense, and its capacity is the sum of both groups' torques; a
// translation axis's capacity is the mean of its pair's thrusts.
#include "vessel/vessel_control.h"

#include <cmath>

#include "state/module_state.h"

namespace {
constexpr double kMinResponseTime = 0.01;  // [s] periods up to this keep the last value
}  // namespace

void setupVesselControl(VESSEL* vessel, double period) {
  VesselCharacteristics& c = moduleState.control;
  if (period > kMinResponseTime) c.responseTime = period;
  // A null vessel (no focus vessel) is not flown; the previous vessel's
  // characteristics stay until another vessel is taken.
  c.vessel = vessel;
  if (vessel == nullptr) return;
  computeThrustCapacities(vessel);
  vessel->GetPMI(c.pmi);
}

double groupMaxThrust(VESSEL* vessel, THGROUP_TYPE group) {
  if (vessel == nullptr) return 0.0;
  double thrust = 0.0;  // [N]
  const uint32_t count = vessel->GetGroupThrusterCount(group);
  for (uint32_t i = 0; i < count; ++i) {
    thrust += vessel->GetThrusterMax(vessel->GetGroupThruster(group, i));
  }
  return thrust;
}

double groupMaxTorque(VESSEL* vessel, THGROUP_TYPE group) {
  if (vessel == nullptr) return 0.0;
  double torque = 0.0;  // [N m]
  const uint32_t count = vessel->GetGroupThrusterCount(group);
  for (uint32_t i = 0; i < count; ++i) {
    THRUSTER_HANDLE thruster = vessel->GetGroupThruster(group, i);
    VECTOR3 position{};
    vessel->GetThrusterRef(thruster, position);
    // The lever arm is the thruster's full distance from the vessel's origin,
    // whatever its thrust direction: an upper bound that the hold law's
    // one-response-time rate change then scales down.
    const double arm =
        std::sqrt(position.z * position.z + position.y * position.y + position.x * position.x);
    torque += vessel->GetThrusterMax(thruster) * arm;
  }
  return torque;
}

void computeThrustCapacities(VESSEL* vessel) {
  double* const linearThrust = moduleState.control.linearThrust;  // [N]
  double* const engineThrust = moduleState.control.engineThrust;  // [N]
  double* const axisTorque = moduleState.control.axisTorque;      // [N m]
  linearThrust[0] =
      0.5 * (groupMaxThrust(vessel, THGROUP_LIN_POS_X) + groupMaxThrust(vessel, THGROUP_LIN_NEG_X));
  linearThrust[1] =
      0.5 * (groupMaxThrust(vessel, THGROUP_LIN_POS_Y) + groupMaxThrust(vessel, THGROUP_LIN_NEG_Y));
  linearThrust[2] =
      0.5 * (groupMaxThrust(vessel, THGROUP_LIN_POS_Z) + groupMaxThrust(vessel, THGROUP_LIN_NEG_Z));
  engineThrust[ENGINE_MAIN] = groupMaxThrust(vessel, THGROUP_MAIN);
  engineThrust[ENGINE_RETRO] = groupMaxThrust(vessel, THGROUP_RETRO);
  engineThrust[ENGINE_HOVER] = groupMaxThrust(vessel, THGROUP_HOVER);
  axisTorque[0] =
      groupMaxTorque(vessel, THGROUP_PITCH_RAISE) + groupMaxTorque(vessel, THGROUP_PITCH_LOWER);
  axisTorque[1] =
      groupMaxTorque(vessel, THGROUP_YAW_LOWER) + groupMaxTorque(vessel, THGROUP_YAW_RAISE);
  axisTorque[2] =
      groupMaxTorque(vessel, THGROUP_ROLL_LOWER) + groupMaxTorque(vessel, THGROUP_ROLL_RAISE);
}
