// gyrelle._core: the compiled half of the Python package. The package's
// Python half (python/gyrelle/) wraps it into the documented API; this file
// binds the flight and turns what the host holds (screens, vessels) into
// plain Python values.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>

#include "embedded_flight.h"
#include "event_tables.h"
#include "platform/latin1_text.h"
#include "platform/png_writer.h"
#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/page_reading.h"
#include "sim/outputs/run_outputs.h"
#include "sim/outputs/telemetry_row.h"
#include "sim/run/run_bounds.h"
#include "sim/verify/figure_value.h"

namespace py = pybind11;
using gyrelle_python::EmbeddedFlight;

namespace {

std::string hex(COLORREF c) {
  std::string out;
  sim::appendHexColour(out, c);
  return out;
}

const halcyra::Screen& screenOf(EmbeddedFlight& f, size_t i) {
  halcyra::World& w = f.world();
  if (i >= w.screenCount()) throw py::index_error("the flight has no screen " + std::to_string(i));
  return w.screen(i);
}

// The drawing operations of a screen's last redraw, each a dict of the
// fields its kind uses (platform/gdi_ops.h); colours as "rrggbb".
py::list opsOf(const halcyra::Screen& s) {
  static const char* const kKinds[] = {"text",        "text-colour", "background-mode", "move",
                                       "line",        "arc",         "begin-path",      "end-path",
                                       "stroke-fill", "select"};
  py::list ops;
  for (const GdiOp& op : s.lastDrawing) {
    py::dict d;
    d["op"] = kKinds[int(op.kind)];
    switch (op.kind) {
      case GdiOpKind::Text:
        d["text"] = render::latin1ToUtf8(op.text);
        [[fallthrough]];
      case GdiOpKind::MoveTo:
      case GdiOpKind::LineTo:
        d["x"] = op.x;
        d["y"] = op.y;
        if (op.kind != GdiOpKind::MoveTo) d["colour"] = hex(op.colour);
        break;
      case GdiOpKind::AngleArc:
        d["x"] = op.x;
        d["y"] = op.y;
        d["radius"] = op.radius;
        d["start_deg"] = op.startDeg;
        d["sweep_deg"] = op.sweepDeg;
        d["colour"] = hex(op.colour);
        break;
      case GdiOpKind::StrokeAndFill:
        d["colour"] = hex(op.colour);
        d["pen_colour"] = hex(op.penColour);
        break;
      case GdiOpKind::SetTextColor:
      case GdiOpKind::SelectObject:
        d["colour"] = hex(op.colour);
        break;
      case GdiOpKind::SetBkMode:
        d["mode"] = op.mode;
        break;
      default:
        break;
    }
    if (op.inPath) d["in_path"] = true;
    ops.append(std::move(d));
  }
  return ops;
}

// The text the page draws: (x, y, "rrggbb", text) in drawing order.
py::list linesOf(const halcyra::Screen& s) {
  py::list lines;
  for (const GdiOp& op : s.lastDrawing)
    if (op.kind == GdiOpKind::Text)
      lines.append(py::make_tuple(op.x, op.y, hex(op.colour), render::latin1ToUtf8(op.text)));
  return lines;
}

py::bytes pngOf(const halcyra::Screen& s) {
  const render::Picture picture = render::renderDrawing(s.lastDrawing, s.width, s.height);
  std::vector<unsigned char> png;
  std::string error;
  if (!render::encodePng(picture, png, error)) throw std::runtime_error("PNG: " + error);
  return py::bytes(reinterpret_cast<const char*>(png.data()), png.size());
}

// The screen log's header and the row of the page the screen shows now.
std::string screenRow(EmbeddedFlight& f, size_t i) {
  const halcyra::Screen& s = screenOf(f, i);
  std::string out;
  sim::appendScreenLogRow(out, f.t(), i, sim::readPage(s.lastDrawing));
  return out;
}

// A vessel's telemetry figures now (kTelemetryFigureNames) and its body.
py::tuple vesselState(EmbeddedFlight& f, const std::string& name) {
  halcyra::World& w = f.world();
  const halcyra::Vessel* v = w.vessel(w.findByName(name));
  if (!v) throw py::key_error("no vessel '" + name + "' in the world");
  const sim::TelemetrySample row = sim::telemetrySample(w, *v);
  return py::make_tuple(w.objectName(halcyra::toId(row.status.refBody)),
                        std::vector<double>(row.figures.begin(), row.figures.end()));
}

std::vector<std::string> vesselNames(EmbeddedFlight& f) {
  std::vector<std::string> names;
  for (const halcyra::Vessel* v : f.world().vessels()) names.push_back(v->name);
  return names;
}

py::list verdictsOf(EmbeddedFlight& f) {
  static const char* const kOutcomes[] = {"pass", "fail", "skip"};
  py::list out;
  for (const sim::Verdict& v : f.verdicts()) {
    py::dict d;
    d["name"] = v.name;
    d["outcome"] = kOutcomes[int(v.outcome)];
    d["message"] = v.message;
    d["line"] = v.line;
    out.append(std::move(d));
  }
  return out;
}

// [steps] The steps that reach `seconds` [s] from now (a time within the
// loop's slack counts as reached).
uint64_t stepsFor(const EmbeddedFlight& f, double seconds) {
  if (std::isnan(seconds)) throw py::value_error("a time must be a number");
  const double n = sim::stepsToReach(seconds, f.scenario().step);
  return n >= double(std::numeric_limits<uint64_t>::max() / 2)
             ? std::numeric_limits<uint64_t>::max() / 2
             : uint64_t(n);
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The compiled core of the gyrelle package; use the package's own names.";
  auto scenarioError =
      py::register_exception<sim::ScenarioError>(m, "ScenarioError", PyExc_ValueError);
  (void)scenarioError;
  py::register_exception<sim::OutputError>(m, "OutputError", PyExc_OSError);

  m.def("read_scenario_file", &sim::readScenarioFile, py::arg("path"));
  m.attr("TELEMETRY_FIGURES") = [] {
    py::tuple t(sim::kTelemetryFigureNames.size());
    for (size_t i = 0; i < t.size(); ++i) t[i] = std::string(sim::kTelemetryFigureNames[i]);
    return t;
  }();

  py::class_<EmbeddedFlight>(m, "Flight")
      .def(py::init<const std::string&, const std::string&, const std::string&,
                    std::optional<double>, double>(),
           py::arg("text"), py::arg("file"), py::arg("module"), py::arg("until"),
           py::arg("telemetry_every"))
      .def_property_readonly("t", &EmbeddedFlight::t)
      .def_property_readonly("steps", &EmbeddedFlight::steps)
      .def_property_readonly("step_length", [](EmbeddedFlight& f) { return f.scenario().step; })
      .def_property_readonly("ended", &EmbeddedFlight::ended)
      .def_property_readonly("closed", &EmbeddedFlight::closed)
      // Each advance returns the notes of the scenario's events met on the way.
      .def("step",
           [](EmbeddedFlight& f, uint64_t n) {
             f.advance(f.steps() + n);
             return f.takeNotes();
           })
      .def("run_to",
           [](EmbeddedFlight& f, double t) {
             f.advance(stepsFor(f, t));
             return f.takeNotes();
           })
      .def("run_until",
           [](EmbeddedFlight& f, const py::dict& when, double timeout) {
             const std::unique_ptr<sim::EventTrigger> cond = gyrelle_python::conditionOfTable(when);
             const bool held = f.advanceUntil(*cond, stepsFor(f, timeout));
             return py::make_tuple(held, f.takeNotes());
           })
      .def("act", [](EmbeddedFlight& f,
                     const py::dict& table) { return f.act(gyrelle_python::eventOfTable(table)); })
      .def("close", &EmbeddedFlight::close)
      .def("take_notes", &EmbeddedFlight::takeNotes)
      .def("screen_count", [](EmbeddedFlight& f) { return f.world().screenCount(); })
      .def("screen_mode", [](EmbeddedFlight& f, size_t i) { return screenOf(f, i).mode; })
      .def("screen_ops", [](EmbeddedFlight& f, size_t i) { return opsOf(screenOf(f, i)); })
      .def("screen_lines", [](EmbeddedFlight& f, size_t i) { return linesOf(screenOf(f, i)); })
      .def("screen_png", [](EmbeddedFlight& f, size_t i) { return pngOf(screenOf(f, i)); })
      .def("screen_row", &screenRow)
      .def("vessel_names", &vesselNames)
      .def("vessel_state", &vesselState)
      .def("focus",
           [](EmbeddedFlight& f) {
             halcyra::World& w = f.world();
             return w.objectName(w.focus());
           })
      .def("telemetry_text", [](EmbeddedFlight& f) { return py::bytes(f.telemetryText()); })
      .def("screen_log_text", [](EmbeddedFlight& f) { return py::bytes(f.screenLogText()); })
      .def("report_json", &EmbeddedFlight::reportJson)
      .def("verdicts", &verdictsOf);
}
