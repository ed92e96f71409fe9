#include "sim/serve/actions.h"

#include "sim/scenario/key_names.h"

namespace sim {
namespace {

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
