// The bodies of the HTTP API's POST requests, read into actions and sim
// commands. Everything a client sends is checked here, before it reaches the
// simulation: a body that is not a JSON object, an unknown field, a value of
// the wrong type or out of range, a screen that does not exist. Errors are
// thrown as RequestError with a message for the 400 answer.
#pragma once

#include <stdexcept>
#include <string>

#include "sim/serve/actions.h"
#include "sim/serve/serve_options.h"
#include "sim/serve/session.h"

namespace sim {

class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr size_t kMaxInputText = 255;  // [bytes] the host's input buffer holds 256 with the end
constexpr size_t kMaxLabel = 32;       // [bytes]
constexpr size_t kMaxModeName = 64;    // [bytes]
constexpr int kMaxButtonIndex = 63;
constexpr uint32_t kMaxKeyCode = 255;  // scan codes are one byte
constexpr int kMaxStepsAsked = 10000;

// POST /api/key {"screen": 0, "key": 35 | "H"}
Action parseKeyRequest(const std::string& body, size_t screens);
// POST /api/button {"screen": 0, "button": 5 | "HLD", "release": false}
Action parseButtonRequest(const std::string& body, size_t screens);
// POST /api/input {"screen": 0, "text": "-10.5"} or {"screen": 0, "cancel": true}
Action parseInputRequest(const std::string& body, size_t screens);
// POST /api/mode {"screen": 1, "mode": "Gyrelle" | "none"}
Action parseModeRequest(const std::string& body, size_t screens);
// POST /api/sim {"pause": true} / {"step": 1} / {"speed": 10}, or several at once
SimCommand parseSimRequest(const std::string& body);

}  // namespace sim
