// A run's expectations judged as it flies, and its conditional events'
// conditions watched, as an output of the run (sim/outputs/output.h):
// screen figures are sampled at every redraw of their screen, as the screen
// log reads them; telemetry figures at every time the flight reaches (each
// step, t = 0 included); report figures once, when the run ends, after the
// flight report is finished. The results are ready after finished(); with a
// --junit path they are written there then.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/outputs/flight_report.h"
#include "sim/outputs/junit.h"
#include "sim/outputs/output.h"
#include "sim/outputs/output_file.h"
#include "sim/scenario/scenario.h"
#include "sim/verify/condition_watch.h"
#include "sim/verify/figure_judge.h"

namespace sim {

class Verification : public Output {
 public:
  // report: the run's flight report, finished before this (for report
  // figures). junitPath: empty for none. Throws OutputError.
  Verification(const Scenario& scenario, const FlightReport* report, const std::string& junitPath);
  ~Verification() override;

  void redrawn(const Redraw& r) override;
  void sampled(double t, halcyra::World& world) override;
  void finished(double t, halcyra::World& world) override;

  // The conditional events to run at t, in file order: those not yet run
  // whose condition holds at t (telemetry figures of the world as it is at
  // t, screen figures of the last redraw) and whose `after` has come. Each
  // runs once; one whose timeout has passed is given up and fails the run.
  std::vector<const Event*> eventsDue(double t, halcyra::World& world);

  const std::vector<Verdict>& verdicts() const { return verdicts_; }
  bool failed() const;
  // The lines for standard error (without the last line break); empty when
  // the scenario has neither expectations nor conditional events.
  std::string summary() const;

 private:
  struct Judged;
  struct Watched;

  // Vessel v's telemetry row now, worked out at the first figure read from it
  // since taken_ was last cleared; valid until the next call.
  const TelemetrySample& sampleOf(halcyra::World& world, const halcyra::Vessel& v);

  const Scenario& scenario_;
  const FlightReport* report_;
  std::vector<std::unique_ptr<Judged>> judged_;
  std::vector<std::unique_ptr<Watched>> watched_;
  std::vector<Verdict> verdicts_;
  std::vector<TelemetrySample> taken_;  // this moment's rows, one per vessel read
  std::optional<OutputFile> junit_;
};

}  // namespace sim
