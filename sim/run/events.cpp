#include "sim/run/events.h"

#include <cstdio>
#include <stdexcept>

#include "sim/scenario/key_names.h"

namespace sim {
namespace {

constexpr size_t kQuotedChars = 80;  // characters of a typed text a note shows

// A typed text as a note shows it: in quotes, control characters and quotes
// escaped, cut after kQuotedChars characters (UTF-8 sequences kept whole).
std::string quoted(const std::string& text) {
  std::string out = "\"";
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xc0) != 0x80 && chars++ == kQuotedChars) {
      return out + "\"... (" + std::to_string(text.size()) + " bytes)";
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

halcyra::Vessel* findVessel(halcyra::World& world, const std::string& name) {
  return world.vessel(world.findByName(name));
}

std::string applyLevels(halcyra::World& world, const Event& e) {
  halcyra::Vessel* v = findVessel(world, e.vesselName);
  if (!v) return "no vessel '" + e.vesselName + "' in the world";
  if (e.rot) v->iface->SetAttitudeRotLevel(*e.rot);
  if (e.lin) v->iface->SetAttitudeLinLevel(*e.lin);
  if (e.engine) {
    v->iface->SetEngineLevel(ENGINE_MAIN, e.engine->x);
    v->iface->SetEngineLevel(ENGINE_RETRO, e.engine->y);
    v->iface->SetEngineLevel(ENGINE_HOVER, e.engine->z);
  }
  return "";
}

std::string applyDocking(halcyra::World& world, const Event& e) {
  halcyra::Vessel* v = findVessel(world, e.vesselName);
  if (!v) return "no vessel '" + e.vesselName + "' in the world";
  if (e.port >= v->ports.size())
    return "'" + e.vesselName + "' has no port " + std::to_string(e.port);
  if (e.kind == EventKind::Undock) {
    if (!world.undock(v->id, e.port)) return "port " + std::to_string(e.port) + " is free";
    return "";
  }
  const halcyra::ObjectId other = world.findByName(e.otherName);
  if (!world.vessel(other)) return "no vessel '" + e.otherName + "' in the world";
  if (!world.dock(v->id, e.port, other)) return "cannot dock '" + e.otherName + "' there";
  return "";
}

}  // namespace

std::string applyEvent(halcyra::World& world, const Event& e, std::vector<bool>& touched) {
  switch (e.kind) {
    case EventKind::Key:
      touched[e.screen] = true;
      if (!world.pressKey(e.screen, e.key))
        return "key " + std::to_string(e.key) + " not taken by screen " + std::to_string(e.screen);
      return "";
    case EventKind::Button: {
      touched[e.screen] = true;
      int button = e.button;
      if (!e.buttonLabel.empty()) {
        // The labels of the mode shown now, as the pilot reads them.
        const ButtonLookup found =
            findButton(buttonLabels(world.screen(e.screen).instance), e.buttonLabel);
        if (!found.index) return found.problem + " on screen " + std::to_string(e.screen);
        button = *found.index;
      }
      world.pressButton(e.screen, button, !e.release);
      return "";
    }
    case EventKind::Input:
      touched[e.screen] = true;
      if (!world.screen(e.screen).inputBox)
        return "no input box open on screen " + std::to_string(e.screen);
      if (!world.answerInput(e.screen, e.typedText))
        return "input " + quoted(e.typedText) + " refused; the box stays open";
      return "";
    case EventKind::Cancel:
      touched[e.screen] = true;
      if (!world.cancelInput(e.screen))
        return "no input box open on screen " + std::to_string(e.screen);
      return "";
    case EventKind::Mode:
      touched[e.screen] = true;
      if (!world.setScreenMode(e.screen, e.modeName))
        return "cannot switch to mode '" + e.modeName + "'";
      return "";
    case EventKind::Rebuild:
      touched.assign(touched.size(), true);
      world.rebuildScreens();
      return "";
    case EventKind::Focus: {
      const halcyra::Vessel* v = findVessel(world, e.focusName);
      if (!v || !world.setFocus(v->id)) return "no vessel '" + e.focusName + "' to focus";
      return "";
    }
    case EventKind::Dock:
    case EventKind::Undock:
      return applyDocking(world, e);
    case EventKind::Delete:
      if (!world.deleteObject(world.findByName(e.deletedName)))
        return "no object '" + e.deletedName + "' in the world";
      return "";
    case EventKind::Spawn:
      // The names were checked before the run; what the world still refuses
      // (a name taken by an object the scenario could not foresee) is a note.
      try {
        world.addVessel(e.spawn.spec);
      } catch (const std::invalid_argument& err) {
        return std::string("spawn refused: ") + err.what();
      }
      return "";
    case EventKind::Levels:
      return applyLevels(world, e);
  }
  return "";
}

}  // namespace sim
