#include "sim/serve/state_json.h"

#include <nlohmann/json.hpp>

#include "platform/latin1_text.h"
#include "render/page_text.h"
#include "sim/outputs/number_text.h"
#include "sim/scenario/key_names.h"

namespace sim {
namespace {

using nlohmann::json;
using render::latin1ToUtf8;

std::string hex(COLORREF c) {
  std::string out;
  appendHexColour(out, c);
  return out;
}

json vesselJson(halcyra::World& world, const halcyra::Vessel& v) {
  VESSELSTATUS s{};
  world.getStatus(v, s);
  const auto& L = v.groupLevel;
  bool docked = false;
  for (const halcyra::DockPort& p : v.ports) docked = docked || p.docked != 0;
  return json{{"vessel", v.name},
              {"body", world.objectName(halcyra::toId(s.refBody))},
              {"rx", s.relPos.x},
              {"ry", s.relPos.y},
              {"rz", s.relPos.z},
              {"vx", s.relVel.x},
              {"vy", s.relVel.y},
              {"vz", s.relVel.z},
              {"alpha", s.orientation.x},
              {"beta", s.orientation.y},
              {"gamma", s.orientation.z},
              {"wx", s.angVel.x},
              {"wy", s.angVel.y},
              {"wz", s.angVel.z},
              {"mass", v.dryMass + v.propellant},
              {"propellant", v.propellant},
              {"pitch", L[THGROUP_PITCH_RAISE] - L[THGROUP_PITCH_LOWER]},
              {"yaw", L[THGROUP_YAW_RAISE] - L[THGROUP_YAW_LOWER]},
              {"roll", L[THGROUP_ROLL_RAISE] - L[THGROUP_ROLL_LOWER]},
              {"lat", L[THGROUP_LIN_POS_X] - L[THGROUP_LIN_NEG_X]},
              {"vert", L[THGROUP_LIN_POS_Y] - L[THGROUP_LIN_NEG_Y]},
              {"fa", L[THGROUP_LIN_POS_Z] - L[THGROUP_LIN_NEG_Z]},
              {"main", L[THGROUP_MAIN]},
              {"retro", L[THGROUP_RETRO]},
              {"hover", L[THGROUP_HOVER]},
              {"docked", docked ? 1 : 0}};
}

json opJson(const GdiOp& op) {
  switch (op.kind) {
    case GdiOpKind::Text:
      return json::array({"text", op.x, op.y, hex(op.colour), latin1ToUtf8(op.text)});
    case GdiOpKind::MoveTo:
      return json::array({"move", op.x, op.y});
    case GdiOpKind::LineTo:
      return json::array({"line", op.x, op.y, hex(op.colour)});
    case GdiOpKind::AngleArc:
      return json::array({"arc", op.x, op.y, op.radius, op.startDeg, op.sweepDeg, hex(op.colour)});
    case GdiOpKind::BeginPath:
      return json::array({"begin-path"});
    case GdiOpKind::EndPath:
      return json::array({"end-path"});
    case GdiOpKind::StrokeAndFill:
      return json::array({"stroke-fill", hex(op.colour), hex(op.penColour)});
    case GdiOpKind::SetTextColor:  // state changes show in the calls that use them
    case GdiOpKind::SetBkMode:
    case GdiOpKind::SelectObject:
      break;
  }
  return nullptr;
}

json screenJson(halcyra::World& world, size_t index) {
  const halcyra::Screen& s = world.screen(index);
  json lines = json::array(), ops = json::array(), page = json::array(), buttons = json::array();
  for (const GdiOp& op : s.lastDrawing) {
    if (op.kind == GdiOpKind::Text)
      lines.push_back(
          {{"x", op.x}, {"y", op.y}, {"colour", hex(op.colour)}, {"text", latin1ToUtf8(op.text)}});
    json o = opJson(op);
    if (!o.is_null()) ops.push_back(std::move(o));
  }
  for (const std::string& line : render::pageText(s.lastDrawing))
    page.push_back(latin1ToUtf8(line));
  for (const std::string& label : buttonLabels(world.screen(index).instance))
    buttons.push_back(latin1ToUtf8(label));
  json input = nullptr;
  if (s.inputBox)
    input = {{"title", latin1ToUtf8(s.inputBox->title)},
             {"text", latin1ToUtf8(s.inputBox->initialText)}};
  return json{{"index", index},     {"width", s.width}, {"height", s.height},
              {"mode", s.mode},     {"lines", lines},   {"page", page},
              {"buttons", buttons}, {"input", input},   {"ops", ops}};
}

}  // namespace

std::string stateJson(halcyra::World& world, const FlightClock& clock) {
  json vessels = json::array(), screens = json::array(), modes = json::array();
  for (const halcyra::ModeRegistration& m : world.modes()) modes.push_back(latin1ToUtf8(m.name));
  for (halcyra::Vessel* v : world.vessels()) vessels.push_back(vesselJson(world, *v));
  for (size_t i = 0; i < world.screenCount(); ++i) screens.push_back(screenJson(world, i));
  const json state{{"t", clock.t},
                   {"speed", clock.speed},
                   {"paused", clock.paused},
                   {"running", clock.running},
                   {"step", clock.step},
                   {"until", clock.until},
                   {"focus", world.objectName(world.focus())},
                   {"modes", modes},
                   {"vessels", vessels},
                   {"screens", screens}};
  // Names from the scenario are UTF-8 already; anything else is replaced, never thrown on.
  return state.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace sim
