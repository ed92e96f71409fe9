#include "event_tables.h"

#include <string>

#include "sim/scenario/expectation_reader.h"
#include "sim/scenario/toml_reader.h"

namespace py = pybind11;

namespace gyrelle_python {
namespace {

// A Python value as TOML: bool, int, float, str, a sequence (list, tuple,
// NumPy array) and a dict of them; anything else is a TypeError.
toml::value tomlOf(const py::handle& v) {
  if (py::isinstance<py::bool_>(v)) return toml::value(v.cast<bool>());
  if (py::isinstance<py::str>(v)) return toml::value(v.cast<std::string>());
  if (py::hasattr(v, "__index__")) return toml::value(v.cast<std::int64_t>());
  if (py::isinstance<py::float_>(v) || py::hasattr(v, "__float__"))
    return toml::value(v.cast<double>());
  if (py::isinstance<py::dict>(v)) {
    toml::table t;
    for (const auto& item : v.cast<py::dict>()) {
      if (!py::isinstance<py::str>(item.first)) throw py::type_error("table keys must be strings");
      t.emplace(item.first.cast<std::string>(), tomlOf(item.second));
    }
    return toml::value(std::move(t));
  }
  if (py::isinstance<py::sequence>(v)) {
    toml::array a;
    for (const py::handle& item : v.cast<py::sequence>()) a.push_back(tomlOf(item));
    return toml::value(std::move(a));
  }
  throw py::type_error("cannot write a " + std::string(py::str(v.get_type())) + " as TOML");
}

// The dict written as TOML and read back: the reader's own types and positions.
sim::TomlDocument documentOf(const py::dict& table, const char* name) {
  return sim::TomlDocument(toml::format(tomlOf(table)), name);
}

}  // namespace

sim::Event eventOfTable(const py::dict& table) {
  py::dict timed(table);
  if (timed.contains("t") || timed.contains("when"))
    throw py::value_error("an event from Python runs now: give neither 't' nor 'when'");
  timed["t"] = 0.0;
  const sim::TomlDocument doc = documentOf(timed, "<event>");
  return sim::readEvent(doc.root(), doc);
}

std::unique_ptr<sim::EventTrigger> conditionOfTable(const py::dict& when) {
  py::dict event;
  event["when"] = when;
  const sim::TomlDocument doc = documentOf(event, "<condition>");
  sim::TableReader r(doc.root(), doc, "run_until");
  auto trigger = std::make_unique<sim::EventTrigger>(sim::readTrigger(r));
  r.finish();
  return trigger;
}

}  // namespace gyrelle_python
