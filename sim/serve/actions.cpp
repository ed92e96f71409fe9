#include "sim/serve/actions.h"

#include <map>
#include <nlohmann/json.hpp>

#include "sim/scenario/key_names.h"
#include "sim/serve/serve_options.h"

namespace sim {
namespace {

using nlohmann::json;

constexpr size_t kMaxInputText = 255;  // [bytes] the host's input buffer holds 256 with the end
constexpr size_t kMaxLabel = 32;       // [bytes]
constexpr size_t kMaxModeName = 64;    // [bytes]
constexpr int kMaxButtonIndex = 63;
constexpr uint32_t kMaxKeyCode = 255;  // scan codes are one byte
constexpr int kMaxStepsAsked = 10000;

json parseObject(const std::string& body, const std::vector<const char*>& fields) {
  json j = json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded()) throw RequestError("the body is not JSON");
  if (!j.is_object()) throw RequestError("the body is not a JSON object");
  for (const auto& item : j.items()) {
    bool known = false;
    for (const char* f : fields) known = known || item.key() == f;
    if (!known) throw RequestError("unknown field \"" + item.key() + "\"");
  }
  return j;
}

// A whole number within [lo, hi], written as one: 3.0, 1e2 and -0.0 are
// floats and refused, as is a string, a boolean or a number past 64 bits.
long long integer(const json& j, const char* field, long long lo, long long hi) {
  const json& v = j.at(field);
  const std::string range = std::to_string(lo) + " to " + std::to_string(hi);
  if (!v.is_number_integer())
    throw RequestError(std::string("\"") + field + "\" must be a whole number from " + range +
                       ", written without a point or exponent");
  // Numbers from 0 up are read as unsigned: one past LLONG_MAX must not wrap.
  const bool fits =
      !v.is_number_unsigned() || v.get<unsigned long long>() <= (unsigned long long)hi;
  const long long n = fits ? v.get<long long>() : hi;
  if (!fits || n < lo || n > hi)
    throw RequestError(std::string("\"") + field + "\" must be a whole number from " + range);
  return n;
}

size_t screenOf(const json& j, size_t screens) {
  if (!j.contains("screen")) {
    if (screens == 0) throw RequestError("the flight has no screens");
    return 0;
  }
  if (screens == 0) throw RequestError("the flight has no screens");
  return size_t(integer(j, "screen", 0, (long long)screens - 1));
}

// Printable text: no control characters (they would end a line of the record
// or reach the module's parser as something no keyboard types).
std::string printable(const json& v, const char* field, size_t maxBytes) {
  if (!v.is_string()) throw RequestError(std::string("\"") + field + "\" is not a string");
  const std::string s = v.get<std::string>();
  if (s.size() > maxBytes)
    throw RequestError(std::string("\"") + field + "\" is longer than " + std::to_string(maxBytes) +
                       " bytes");
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7f)
      throw RequestError(std::string("\"") + field + "\" holds a control character");
  return s;
}

// A TOML basic string. Texts reaching here hold no control characters (the
// request parser refuses them), so only the quote and the backslash need escapes.
std::string tomlString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string registeredModes(const halcyra::World& world) {
  std::string names;
  for (const halcyra::ModeRegistration& m : world.modes())
    names += (names.empty() ? "" : ", ") + tomlString(m.name);
  return names.empty() ? "no mode is registered" : "the modes are " + names;
}

}  // namespace

Action parseAction(const std::string& call, const std::string& body, size_t screens) {
  static const std::map<std::string, std::vector<const char*>> kFields = {
      {"key", {"screen", "key"}},
      {"button", {"screen", "button", "release"}},
      {"input", {"screen", "text", "cancel"}},
      {"mode", {"screen", "mode"}}};
  const json j = parseObject(body, kFields.at(call));
  Action a;
  a.screen = screenOf(j, screens);
  if (call == "key") {
    if (!j.contains("key")) throw RequestError("\"key\" is missing");
    if (j["key"].is_string()) {
      const std::string name = printable(j["key"], "key", kMaxLabel);
      const std::optional<uint32_t> code = scanCodeOfKey(name);
      if (!code) throw RequestError("no key is named \"" + name + "\"");
      a.key = *code;
    } else {
      a.key = uint32_t(integer(j, "key", 0, kMaxKeyCode));
    }
  } else if (call == "button") {
    a.kind = ActionKind::Button;
    if (!j.contains("button")) throw RequestError("\"button\" is missing");
    if (j["button"].is_string()) {
      a.buttonLabel = printable(j["button"], "button", kMaxLabel);
      if (a.buttonLabel.empty()) throw RequestError("\"button\" is empty");
    } else {
      a.button = int(integer(j, "button", 0, kMaxButtonIndex));
    }
    if (j.contains("release")) {
      if (!j["release"].is_boolean()) throw RequestError("\"release\" is not true or false");
      a.release = j["release"].get<bool>();
    }
  } else if (call == "input") {
    const bool cancel = j.contains("cancel");
    if (j.contains("text") == cancel)
      throw RequestError("give either \"text\" or \"cancel\": true");
    if (cancel) {
      if (!j["cancel"].is_boolean() || !j["cancel"].get<bool>())
        throw RequestError("\"cancel\" must be true");
      a.kind = ActionKind::Cancel;
    } else {
      a.kind = ActionKind::Input;
      a.text = printable(j["text"], "text", kMaxInputText);
    }
  } else {
    a.kind = ActionKind::Mode;
    if (!j.contains("mode")) throw RequestError("\"mode\" is missing");
    a.text = printable(j["mode"], "mode", kMaxModeName);
    if (a.text.empty()) throw RequestError("\"mode\" is empty (\"none\" takes the mode away)");
    if (a.text == "none") a.text.clear();
  }
  return a;
}

SimCommand parseSimCommand(const std::string& body) {
  const json j = parseObject(body, {"pause", "step", "speed"});
  SimCommand c;
  if (j.contains("pause")) {
    if (!j["pause"].is_boolean()) throw RequestError("\"pause\" is not true or false");
    c.pause = j["pause"].get<bool>();
  }
  if (j.contains("step")) c.step = int(integer(j, "step", 1, kMaxStepsAsked));
  if (j.contains("speed")) {
    const json& v = j["speed"];
    if (!v.is_number()) throw RequestError("\"speed\" is not a number");
    const double s = v.get<double>();
    if (!speedAllowed(s)) throw RequestError("\"speed\" must be " + speedRangeText());
    c.speed = s;
  }
  if (!c.pause && !c.step && !c.speed) throw RequestError("give \"pause\", \"step\" or \"speed\"");
  return c;
}

ActionResult applyAction(halcyra::World& world, const Action& a) {
  ActionResult r;
  r.applied = a;
  const std::string screen = "screen " + std::to_string(a.screen);
  switch (a.kind) {
    case ActionKind::Key:
      r.taken = world.pressKey(a.screen, a.key);
      break;
    case ActionKind::Button: {
      if (!a.button) {
        const ButtonLookup found =
            findButton(buttonLabels(world.screen(a.screen).instance), a.buttonLabel);
        if (!found.index) {
          r.status = 400;
          r.message = screen + ": " + found.problem;
          return r;
        }
        r.applied.button = found.index;
        r.applied.buttonLabel.clear();
      }
      r.taken = world.pressButton(a.screen, *r.applied.button, !a.release);
      break;
    }
    case ActionKind::Input:
      if (!world.screen(a.screen).inputBox) {
        r.status = 409;
        r.message = "no input box open on " + screen;
        return r;
      }
      r.taken = world.answerInput(a.screen, a.text);
      if (!r.taken) r.message = "the text was refused; the box stays open";
      break;
    case ActionKind::Cancel:
      if (!world.cancelInput(a.screen)) {
        r.status = 409;
        r.message = "no input box open on " + screen;
        return r;
      }
      r.taken = true;
      break;
    case ActionKind::Mode:
      if (!world.setScreenMode(a.screen, a.text)) {
        r.status = 400;
        r.message = "no mode is named " + tomlString(a.text) + "; " + registeredModes(world);
        return r;
      }
      r.taken = true;
      break;
  }
  return r;
}

std::string eventTable(const Action& a, const std::string& t) {
  std::string out = "[[event]]\nt = " + t + "\nscreen = " + std::to_string(a.screen) + "\n";
  switch (a.kind) {
    case ActionKind::Key:
      out += "key = " + std::to_string(a.key) + "\n";
      break;
    case ActionKind::Button:
      out += "button = " + std::to_string(a.button.value_or(-1)) + "\n";
      if (a.release) out += "release = true\n";
      break;
    case ActionKind::Input:
      out += "input = " + tomlString(a.text) + "\n";
      break;
    case ActionKind::Cancel:
      out += "cancel = true\n";
      break;
    case ActionKind::Mode:
      out += "mode = " + tomlString(a.text.empty() ? "none" : a.text) + "\n";
      break;
  }
  return out;
}

}  // namespace sim
