// A vessel's telemetry figures, the numbers of a --telemetry row after its
// vessel and body, worked out once for the telemetry and for the expectations
// that test them.
#pragma once

#include <array>
#include <string_view>

#include "host/world.h"

namespace sim {

// The columns, in the order of the row.
constexpr std::array<std::string_view, 24> kTelemetryFigureNames{
    "rx",    "ry",  "rz",   "vx", "vy",   "vz",         "alpha", "beta",
    "gamma", "wx",  "wy",   "wz", "mass", "propellant", "pitch", "yaw",
    "roll",  "lat", "vert", "fa", "main", "retro",      "hover", "docked"};

// v's figures with status s (World::getStatus): position and velocity relative
// to its reference body (global axes) [m], [m/s], status orientation angles
// [rad] and angular velocity [rad/s], mass and propellant [kg], the net
// rotation levels (groups 3-4, 6-5, 8-7), net linear levels (9-10, 11-12,
// 13-14), engine levels, and 1 when a port is engaged.
inline std::array<double, 24> telemetryFigures(const halcyra::Vessel& v, const VESSELSTATUS& s) {
  const auto& L = v.groupLevel;
  bool docked = false;
  for (const halcyra::DockPort& p : v.ports) docked = docked || p.docked != 0;
  return {s.relPos.x,
          s.relPos.y,
          s.relPos.z,
          s.relVel.x,
          s.relVel.y,
          s.relVel.z,
          s.orientation.x,
          s.orientation.y,
          s.orientation.z,
          s.angVel.x,
          s.angVel.y,
          s.angVel.z,
          v.dryMass + v.propellant,
          v.propellant,
          L[THGROUP_PITCH_RAISE] - L[THGROUP_PITCH_LOWER],
          L[THGROUP_YAW_RAISE] - L[THGROUP_YAW_LOWER],
          L[THGROUP_ROLL_RAISE] - L[THGROUP_ROLL_LOWER],
          L[THGROUP_LIN_POS_X] - L[THGROUP_LIN_NEG_X],
          L[THGROUP_LIN_POS_Y] - L[THGROUP_LIN_NEG_Y],
          L[THGROUP_LIN_POS_Z] - L[THGROUP_LIN_NEG_Z],
          L[THGROUP_MAIN],
          L[THGROUP_RETRO],
          L[THGROUP_HOVER],
          docked ? 1.0 : 0.0};
}

}  // namespace sim
