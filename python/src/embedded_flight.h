// A flight flown inside the Python interpreter: the module loaded into a
// world of its own (sim/run/flight.h, ModuleWorld), the scenario's outputs
// with the telemetry and screen log kept in memory, and what Python does
// between the loop's pieces applied as the live server applies a person's
// actions. One live at a time in a process (the host's world is installed
// process-wide); close() ends it, unloads the module and keeps the records.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/outputs/junit.h"
#include "sim/run/flight.h"
#include "sim/verify/condition_watch.h"

namespace gyrelle_python {

class EmbeddedFlight {
 public:
  // scenarioText read as the scenario file `file`; until [s] as --until (none:
  // the scenario's own); telemetryEvery [s] as --telemetry-every.
  EmbeddedFlight(const std::string& scenarioText, const std::string& file,
                 const std::string& modulePath, std::optional<double> until, double telemetryEvery);
  ~EmbeddedFlight();

  // The loop to `stopSteps` steps, to the end, or until stop() holds at a
  // time; stop is also asked when an interruption (Ctrl-C) is pending.
  void advance(uint64_t stopSteps, const std::function<bool()>& stop = {});
  // Until cond holds (checked at loop stage 1 of each time from now on), for
  // at most timeoutSteps steps; whether it held.
  bool advanceUntil(const sim::EventTrigger& cond, uint64_t timeoutSteps);
  std::string act(const sim::Event& e);  // the note, "" when it acted
  void close();                          // finishes the flight (once) and unloads the module

  bool closed() const { return !flight_; }
  double t() const { return t_; }
  uint64_t steps() const { return steps_; }
  bool ended() const { return !flight_ || flight_->ended(); }
  const sim::Scenario& scenario() const { return scenario_; }
  // The world; throws std::logic_error once closed.
  halcyra::World& world();

  // Records: the same texts as the --telemetry and --screens files; the
  // report's JSON as it stands (the final one once ended); the verdicts,
  // once ended.
  const std::string& telemetryText() const { return telemetry_; }
  const std::string& screenLogText() const { return screenLog_; }
  std::string reportJson() const;
  const std::vector<sim::Verdict>& verdicts() const;
  // Notes of scenario events that could not act, since the last call.
  std::vector<std::string> takeNotes();

 private:
  class Watches;

  void keepFinalRecords();  // once the flight has finished
  sim::Scenario scenario_;
  sim::RunOptions options_;
  std::string telemetry_, screenLog_;
  std::vector<std::string> notes_;
  std::vector<sim::Verdict> verdicts_;
  std::string finalReport_;
  double t_ = 0.0;  // [s]
  uint64_t steps_ = 0;
  std::unique_ptr<sim::ModuleWorld> loaded_;
  std::unique_ptr<sim::Output> telemetryOut_, screenLogOut_;
  std::unique_ptr<Watches> watches_;
  std::unique_ptr<sim::Flight> flight_;
};

}  // namespace gyrelle_python
