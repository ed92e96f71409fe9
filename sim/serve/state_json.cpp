#include "sim/serve/state_json.h"

#include <array>
#include <nlohmann/json.hpp>

#include "platform/latin1_text.h"
#include "render/page_text.h"
#include "sim/outputs/number_text.h"
#include "sim/outputs/telemetry_row.h"
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
  // The telemetry row's figures under its column names.
  json out{{"vessel", v.name}, {"body", world.objectName(halcyra::toId(s.refBody))}};
  const std::array<double, 24> figures = telemetryFigures(v, s);
  for (size_t i = 0; i < figures.size(); ++i)
    out[std::string(kTelemetryFigureNames[i])] = figures[i];
  out["docked"] = figures.back() != 0.0 ? 1 : 0;  // a flag, written as an integer
  return out;
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
