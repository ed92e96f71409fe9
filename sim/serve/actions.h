// What a person does from the cockpit or the HTTP API: to a screen, a key, a
// button, an answer to the open input box, closing it, or a switch of the
// screen's mode; to the flight, a pause, steps or a speed.
//
// A request's body is read into one of them and checked, before it reaches
// the simulation: a body that is not a JSON object, an unknown field, a value
// of the wrong type or out of range, a screen that does not exist are thrown
// as RequestError with a message for the 400 answer. A screen action is
// applied on the simulation thread exactly as the scenario event of the same
// kind, and the ones answered 200 are written back as that event (--record).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "host/world.h"

namespace sim {

class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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

struct SimCommand {
  std::optional<bool> pause;
  std::optional<int> step;      // pauses, then takes this many steps
  std::optional<double> speed;  // multiple of real time, 0 = as fast as possible
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

// The body of POST /api/CALL for a flight of `screens` screens:
//   key     {"screen": 0, "key": 35 | "H"}
//   button  {"screen": 0, "button": 5 | "HLD", "release": false}
//   input   {"screen": 0, "text": "-10.5"} or {"screen": 0, "cancel": true}
//   mode    {"screen": 1, "mode": "Gyrelle" | "none"}
Action parseAction(const std::string& call, const std::string& body, size_t screens);
// POST /api/sim {"pause": true} / {"step": 1} / {"speed": 10}, or several at once
SimCommand parseSimCommand(const std::string& body);

// Applies a to the world as it stands.
ActionResult applyAction(halcyra::World& world, const Action& a);

// The scenario event that repeats an applied action: an [[event]] table at
// t, the time as the scenario writes it ("122.6", not 122.60000000000001).
std::string eventTable(const Action& applied, const std::string& t);

}  // namespace sim
