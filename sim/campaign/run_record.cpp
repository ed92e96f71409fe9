#include "sim/campaign/run_record.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "sim/outputs/number_text.h"

namespace sim {
namespace {

// A vessel's figures and a screen's, in their columns' order.
constexpr const char* kVesselFigures[] = {"propellant_kg.total",  "propellant_kg.rotation",
                                          "propellant_kg.linear", "propellant_kg.engines",
                                          "delta_v_m_s",          "max_rate_deg_s",
                                          "final_rate_deg_s"};
constexpr const char* kScreenFigures[] = {"settle_time_s", "final_dev_pitch", "final_dev_yaw",
                                          "final_dev_roll"};

constexpr const char* kStatusTexts[] = {"ok", "error", "crashed", "time_limit"};
constexpr const char* kOutcomeTexts[] = {"pass", "fail", "skip"};  // in Outcome's order

// The vessels that have figures: those declared, then those spawned (events
// are in time order; a conditional event cannot spawn), each name once.
std::vector<std::string> figureVessels(const Scenario& scenario) {
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const VesselEntry& v : scenario.vessels) add(v.spec.name);
  for (const Event& e : scenario.events)
    if (e.kind == EventKind::Spawn) add(e.spawn.spec.name);
  return names;
}

// A text field on one line: a row is a line of its shard file.
void appendTextField(std::string& out, std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  appendCsvField(out, text);
}

// A whole field as a number, nothing before or after it.
template <typename T>
std::optional<T> numberField(const std::string& field) {
  T v{};
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (field.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return v;
}

void expectSize(size_t size, size_t columns, const char* what) {
  if (size != columns)
    throw std::invalid_argument(std::string("a run record with ") + std::to_string(size) + " " +
                                what + " for " + std::to_string(columns) + " columns");
}

}  // namespace

std::vector<std::string> figureColumns(const Scenario& scenario) {
  std::vector<std::string> columns;
  for (const std::string& vessel : figureVessels(scenario))
    for (const char* figure : kVesselFigures) columns.push_back(vessel + "." + figure);
  for (size_t i = 0; i < scenario.screens.size(); ++i)
    for (const char* figure : kScreenFigures)
      columns.push_back("screen" + std::to_string(i) + "." + figure);
  return columns;
}

std::vector<std::optional<double>> runFigures(const Scenario& scenario,
                                              const FlightReport& report) {
  std::vector<std::optional<double>> values;
  for (const std::string& name : figureVessels(scenario)) {
    // The report lists vessels in the order first seen: the last of a name
    // is the one that had it at the end.
    const VesselFigures* f = nullptr;
    for (const VesselFigures& v : report.vessels())
      if (v.name == name) f = &v;
    if (f == nullptr) {
      values.insert(values.end(), std::size(kVesselFigures), std::nullopt);
      continue;
    }
    for (double v : {f->propellantTotal, f->propellantRotation, f->propellantLinear,
                     f->propellantEngines, f->deltaV, f->maxRate, f->finalRate})
      values.push_back(v);
  }
  for (size_t i = 0; i < scenario.screens.size(); ++i) {
    if (i >= report.screens().size()) {
      values.insert(values.end(), std::size(kScreenFigures), std::nullopt);
      continue;
    }
    const ScreenFigures& s = report.screens()[i];
    values.push_back(s.holds.empty() ? std::nullopt : s.holds.front().settleTime);
    for (const std::optional<Sample>& d : s.lastDeviation)
      values.push_back(d ? std::optional<double>(d->value) : std::nullopt);
  }
  return values;
}

const char* statusText(RunStatus status) { return kStatusTexts[size_t(status)]; }

std::optional<RunStatus> statusNamed(std::string_view text) {
  for (size_t i = 0; i < std::size(kStatusTexts); ++i)
    if (text == kStatusTexts[i]) return RunStatus(i);
  return std::nullopt;
}

std::string headerRow(const RunColumns& columns) {
  std::string out = "run,seed,status,reason";
  for (const auto* group : {&columns.drawn, &columns.expectations, &columns.figures})
    for (const std::string& name : *group) {
      out += ',';
      appendTextField(out, name);
    }
  return out;
}

std::string formatRow(const RunRecord& record, const RunColumns& columns) {
  const bool ok = record.status == RunStatus::Ok;
  if (!record.drawn.empty()) expectSize(record.drawn.size(), columns.drawn.size(), "drawn values");
  expectSize(record.outcomes.size(), ok ? columns.expectations.size() : 0, "outcomes");
  if (!record.figures.empty()) expectSize(record.figures.size(), columns.figures.size(), "figures");
  std::string out;
  appendInt(out, record.index);
  out += ',';
  appendInt(out, record.seed);
  out += ',';
  out += statusText(record.status);
  out += ',';
  appendTextField(out, record.reason);
  for (size_t i = 0; i < columns.drawn.size(); ++i) {
    out += ',';
    if (!record.drawn.empty()) appendChars(out, record.drawn[i]);  // shortest round trip
  }
  for (size_t i = 0; i < columns.expectations.size(); ++i) {
    out += ',';
    if (ok) out += kOutcomeTexts[size_t(record.outcomes[i])];
  }
  for (size_t i = 0; i < columns.figures.size(); ++i) {
    out += ',';
    if (!record.figures.empty() && record.figures[i]) appendChars(out, *record.figures[i]);
  }
  return out;
}

std::optional<RunRecord> parseRow(const std::string& line, const RunColumns& columns) {
  const auto fields = splitCsvLine(line);
  const size_t drawnAt = 4;
  const size_t outcomesAt = drawnAt + columns.drawn.size();
  const size_t figuresAt = outcomesAt + columns.expectations.size();
  if (!fields || fields->size() != figuresAt + columns.figures.size()) return std::nullopt;
  const std::vector<std::string>& f = *fields;
  RunRecord r;
  const auto index = numberField<uint64_t>(f[0]);
  const auto seed = numberField<uint64_t>(f[1]);
  const auto status = statusNamed(f[2]);
  if (!index || !seed || !status) return std::nullopt;
  r.index = *index;
  r.seed = *seed;
  r.status = *status;
  r.reason = f[3];
  // Drawn values: all of them, or none (a run whose draws were refused).
  const bool drawn = std::any_of(f.begin() + drawnAt, f.begin() + outcomesAt,
                                 [](const std::string& s) { return !s.empty(); });
  for (size_t i = drawnAt; drawn && i < outcomesAt; ++i) {
    const auto v = numberField<double>(f[i]);
    if (!v) return std::nullopt;
    r.drawn.push_back(*v);
  }
  // Outcomes: one each for a run flown to its end, none for a failed run.
  for (size_t i = outcomesAt; i < figuresAt; ++i) {
    if (r.status != RunStatus::Ok) {
      if (!f[i].empty()) return std::nullopt;
      continue;
    }
    const auto* end = std::end(kOutcomeTexts);
    const auto* text = std::find(std::begin(kOutcomeTexts), end, f[i]);
    if (text == end) return std::nullopt;
    r.outcomes.push_back(Outcome(text - std::begin(kOutcomeTexts)));
  }
  for (size_t i = figuresAt; i < f.size(); ++i) {
    if (f[i].empty()) {
      r.figures.emplace_back();
      continue;
    }
    const auto v = numberField<double>(f[i]);
    if (!v) return std::nullopt;
    r.figures.emplace_back(*v);
  }
  return r;
}

std::optional<std::vector<std::string>> splitCsvLine(std::string_view line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (true) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      // Quoted: up to the quote that is not doubled, which ends the field.
      for (++i;; ++i) {
        if (i >= line.size()) return std::nullopt;
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      if (i < line.size() && line[i] != ',') return std::nullopt;
    } else {
      const size_t end = std::min(line.find(',', i), line.size());
      field.assign(line.substr(i, end - i));
      if (field.find('"') != std::string::npos) return std::nullopt;
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) return fields;
    ++i;  // the comma
  }
}

}  // namespace sim
