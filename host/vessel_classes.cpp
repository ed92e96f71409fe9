// Built-in vessel classes.
//
// "generic": dry mass 16 000 kg, propellant 4 000 kg, pmi (15, 16, 6) m^2, one
// docking port. Each rotation group is a balanced pair of 1 000 N thrusters
// (10 m fore and aft for pitch and yaw, 5 m either side for roll) whose torque
// r x F points along -axis for a raising group: the rigid body turns with
// Omega = -w, so a torque along -x raises the status rate w.x (the nose comes
// up). Linear groups are balanced 500 N pairs with no net torque; the engines
// push through the centre of mass.
//
// "none": the same body without any thruster.
#include "host/vessel_classes.h"

namespace halcyra {

namespace {

constexpr double kRotThrust = 1000.0;      // [N] per rotation thruster
constexpr double kLinThrust = 500.0;       // [N] per linear thruster
constexpr double kMainThrust = 200000.0;   // [N]
constexpr double kRetroThrust = 30000.0;   // [N]
constexpr double kHoverThrust = 100000.0;  // [N]

void addPair(std::vector<Thruster>& out, int group, VECTOR3 pos, VECTOR3 dir, double max) {
  out.push_back(Thruster{0, group, pos, dir, max, 3000.0});
  out.push_back(Thruster{0, group, -1.0 * pos, -1.0 * dir, max, 3000.0});
}

void addBalancedPair(std::vector<Thruster>& out, int group, VECTOR3 pos, VECTOR3 dir, double max) {
  out.push_back(Thruster{0, group, pos, dir, max, 3000.0});
  out.push_back(Thruster{0, group, -1.0 * pos, dir, max, 3000.0});
}

std::vector<Thruster> genericThrusters() {
  std::vector<Thruster> t;
  t.push_back(Thruster{0, THGROUP_MAIN, {0, 0, -10}, {0, 0, 1}, kMainThrust, 3000.0});
  t.push_back(Thruster{0, THGROUP_RETRO, {0, 0, 10}, {0, 0, -1}, kRetroThrust, 3000.0});
  t.push_back(Thruster{0, THGROUP_HOVER, {0, 0, 0}, {0, 1, 0}, kHoverThrust, 3000.0});
  // Pitch: (0,0,10) x (0,1,0) = (-10,0,0) -> raises w.x.
  addPair(t, THGROUP_PITCH_RAISE, {0, 0, 10}, {0, 1, 0}, kRotThrust);
  addPair(t, THGROUP_PITCH_LOWER, {0, 0, 10}, {0, -1, 0}, kRotThrust);
  // Yaw: (0,0,10) x (-1,0,0) = (0,-10,0) -> raises w.y.
  addPair(t, THGROUP_YAW_LOWER, {0, 0, 10}, {1, 0, 0}, kRotThrust);
  addPair(t, THGROUP_YAW_RAISE, {0, 0, 10}, {-1, 0, 0}, kRotThrust);
  // Roll: (5,0,0) x (0,-1,0) = (0,0,-5) -> raises w.z.
  addPair(t, THGROUP_ROLL_LOWER, {5, 0, 0}, {0, 1, 0}, kRotThrust);
  addPair(t, THGROUP_ROLL_RAISE, {5, 0, 0}, {0, -1, 0}, kRotThrust);
  addBalancedPair(t, THGROUP_LIN_POS_X, {0, 0, 5}, {1, 0, 0}, kLinThrust);
  addBalancedPair(t, THGROUP_LIN_NEG_X, {0, 0, 5}, {-1, 0, 0}, kLinThrust);
  addBalancedPair(t, THGROUP_LIN_POS_Y, {0, 0, 5}, {0, 1, 0}, kLinThrust);
  addBalancedPair(t, THGROUP_LIN_NEG_Y, {0, 0, 5}, {0, -1, 0}, kLinThrust);
  addBalancedPair(t, THGROUP_LIN_POS_Z, {5, 0, 0}, {0, 0, 1}, kLinThrust);
  addBalancedPair(t, THGROUP_LIN_NEG_Z, {5, 0, 0}, {0, 0, -1}, kLinThrust);
  return t;
}

}  // namespace

std::optional<VesselClass> builtInClass(const std::string& name) {
  if (name != "generic" && name != "none") return std::nullopt;
  VesselClass c;
  c.dryMass = 16000.0;
  c.propellant = 4000.0;
  c.pmi = {15.0, 16.0, 6.0};
  c.docks = 1;
  if (name == "generic") c.thrusters = genericThrusters();
  return c;
}

}  // namespace halcyra
