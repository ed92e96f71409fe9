// The reference attitude that pitch, yaw and roll are measured from. The
// pilot knows the modes by their numbers 1 to 4 (keys 1 to 4, the text typed
// into "Select Mode"); refModeFromNumber is where such a number becomes a mode.
#pragma once

#include <cstdint>
#include <optional>

enum class RefMode : int32_t {
  kUserAttitude = 1,    // "Attitude": the vessel's own orientation, captured by the pilot
  kVelocity = 2,        // "Velocity": along the velocity vector, level with the local horizon
  kTargetRelative = 3,  // "Target Relative": the line of sight to the selected target
  kEntryInterface = 4,  // "Entry Interface": as kVelocity, at the predicted entry interface
};

// One of the four modes (a record set from outside may hold any number).
constexpr bool isRefMode(RefMode mode) {
  return mode >= RefMode::kUserAttitude && mode <= RefMode::kEntryInterface;
}

// The mode the pilot numbers `number`, or none for a number outside 1 to 4.
constexpr std::optional<RefMode> refModeFromNumber(long number) {
  if (number < static_cast<long>(RefMode::kUserAttitude) ||
      number > static_cast<long>(RefMode::kEntryInterface))
    return std::nullopt;
  return static_cast<RefMode>(number);
}

// The mode after `mode` in the MOD button's cycle: each mode in turn, and the
// first again after the last (or after anything that is not a mode).
constexpr RefMode nextRefMode(RefMode mode) {
  switch (mode) {
    case RefMode::kUserAttitude:
      return RefMode::kVelocity;
    case RefMode::kVelocity:
      return RefMode::kTargetRelative;
    case RefMode::kTargetRelative:
      return RefMode::kEntryInterface;
    default:
      return RefMode::kUserAttitude;
  }
}
