// What a person does to a screen from the cockpit or the HTTP API: a key, a
// button, an answer to the open input box, closing it, or a switch of the
// screen's mode. Each is applied on
// the simulation thread exactly as the scenario event of the same kind, and
// the ones answered 200 are written back as that event (--record).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/world.h"

namespace sim {

enum class ActionKind { Key, Button, Input, Cancel, Mode };

struct Action {
  ActionKind kind = ActionKind::Key;
  size_t screen = 0;
  uint32_t key = 0;           // scan code
  std::optional<int> button;  // index, or
  std::string buttonLabel;    // a label the screen shows, resolved when applied
  bool release = false;       // a button release instead of a press
  std::string text;           // input text, or the mode's name ("" = none)
};

// HTTP-like status: 200 done, 400 refused as meaningless (a label no button
// has, a mode nobody registered), 409 cannot act now (no input box open), 503 the flight has ended.
struct ActionResult {
  int status = 200;
  std::string message;  // why, when not 200
  bool taken = false;   // the module consumed the key or button / accepted the text
  double t = 0.0;       // [s] when it was applied
  Action applied;       // as applied: a button label resolved to its index
};

// Applies a to the world as it stands.
ActionResult applyAction(halcyra::World& world, const Action& a);

// The scenario event that repeats an applied action: an [[event]] table at
// t, the time as the scenario writes it ("122.6", not 122.60000000000001).
std::string eventTable(const Action& applied, const std::string& t);

}  // namespace sim
