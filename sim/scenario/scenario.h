// A scenario file (TOML) read into plain records, each carrying where it came
// from so that every later complaint can name the file, line and column.
// Format: scenarios/README.md; units m, m/s, rad, rad/s, kg, N, s.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/world.h"
#include "sim/scenario/expectation.h"
#include "sim/scenario/orbit_placement.h"

namespace sim {

struct SourcePos {
  uint32_t line = 0;
  uint32_t column = 0;
  bool operator<(SourcePos o) const {
    return line < o.line || (line == o.line && column < o.column);
  }
};

// "FILE:LINE:COLUMN: what is wrong" in what(); what is wrong alone in detail().
class ScenarioError : public std::runtime_error {
 public:
  ScenarioError(const std::string& file, SourcePos pos, const std::string& what)
      : std::runtime_error(file + ":" + std::to_string(pos.line) + ":" +
                           std::to_string(pos.column) + ": " + what),
        detail_(what) {}
  // An error of no one place: message is what() whole.
  explicit ScenarioError(const std::string& message)
      : std::runtime_error(message), detail_(message) {}
  const std::string& detail() const { return detail_; }

 private:
  std::string detail_;
};

struct BodyEntry {
  std::string name;
  double mu = 0.0;      // [m^3/s^2]
  double radius = 0.0;  // [m]
  VECTOR3 position{};   // global [m]
  SourcePos pos;
};

struct BaseEntry {
  std::string name;
  std::string body;
  VECTOR3 position{};  // relative to its body, global axes [m]
  SourcePos pos, bodyPos, positionPos;
};

struct VesselEntry {
  halcyra::VesselSpec spec;
  // Placed by orbit: spec.position and spec.velocity are computed from it with
  // the body's mu and radius once the bodies are known.
  std::optional<OrbitPlacement> orbit;
  SourcePos pos, bodyPos, classPos, basePos, orbitPos;
  SourcePos positionPos;  // the position's value, or the orbit's
};

struct ScreenEntry {
  uint32_t width = 256;   // [pixels]
  uint32_t height = 280;  // [pixels]
  std::string mode;       // empty = none
  SourcePos pos, modePos;
};

enum class EventKind {
  Key,
  Button,
  Input,
  Cancel,
  Mode,
  Rebuild,
  Focus,
  Dock,
  Undock,
  Delete,
  Spawn,
  Levels
};

struct Event {
  double t = 0.0;  // [s]
  SourcePos tPos;
  EventKind kind = EventKind::Key;
  size_t screen = 0;
  uint32_t key = 0;
  bool keyByScanCode = false;  // Key: given as a number rather than a name
  int32_t button = 0;
  std::string buttonLabel;  // a button named by its label, found when the event runs
  bool release = false;
  std::string typedText;            // Input: the answer to the open input box
  std::string modeName;             // Mode: the mode the screen switches to ("" = none)
  std::string focusName;            // Focus: the vessel the pilot flies from now on
  std::string deletedName;          // Delete: the body, base or vessel removed
  std::string vesselName;           // Dock, Undock, Levels: the vessel whose port or levels change
  std::string otherName;            // Dock: the vessel docked to
  uint32_t port = 0;                // Dock, Undock
  VesselEntry spawn;                // Spawn
  std::optional<VECTOR3> rot, lin;  // Levels: rotation / linear (pitch|x, yaw|y, roll|z)
  std::optional<VECTOR3> engine;    // Levels: main, retro, hover
  SourcePos pos, screenPos;
  SourcePos valuePos;  // the action's value; for Dock and Undock, the vessel's name in it
  SourcePos otherPos;  // Dock: the other vessel's name
  SourcePos rotPos, linPos, enginePos;  // Levels: each level vector given
  // A conditional event: runs when its condition first holds rather than at t.
  std::optional<EventTrigger> trigger;
};

struct Scenario {
  std::string file;      // the name errors carry
  double step = 0.02;    // [s]
  double until = 600.0;  // [s]
  double redraw = 1.0;   // [s]
  std::string focus;     // empty = the first vessel
  SourcePos focusPos;
  std::vector<BodyEntry> bodies;
  std::vector<BaseEntry> bases;
  std::vector<VesselEntry> vessels;
  std::vector<ScreenEntry> screens;
  std::vector<Event> events;              // sorted by time, equal times in file order
  std::vector<Event> conditionalEvents;   // those with a trigger, in file order
  std::vector<Expectation> expectations;  // in file order
};

// Reads a scenario's text. Throws ScenarioError for bad TOML, an unknown key,
// a value of the wrong type or out of range, and a name that no entry of the
// scenario declares (vessel, body, base, class, screen index).
Scenario parseScenario(std::string_view text, const std::string& file);

class TomlDocument;
// The same, of a document already parsed (a campaign's run reads its edited
// copy of the base scenario's document this way, never its text again).
Scenario parseScenario(const TomlDocument& doc);

// A scenario file's text. It must be a regular file (a device such as
// /dev/zero would be read until memory runs out, a FIFO would block) of at
// most kMaxScenarioBytes, and not empty. Throws ScenarioError
// "PATH:1:1: what is wrong: reason".
constexpr uintmax_t kMaxScenarioBytes = uintmax_t(64) << 20;  // 64 MiB
std::string readScenarioFile(const std::string& path);

// Every name used refers to something the scenario declares (or spawns).
void checkNames(const Scenario& scenario);

// Checks the mode names of screens and events against the modes registered by
// the loaded module ("none" always exists). Throws ScenarioError.
void checkModes(const Scenario& scenario, const std::vector<std::string>& modes);

}  // namespace sim
