// The outputs of one run as a group: opened together before the run, fed as it
// goes, and finished together at its end, also when it ends early (an
// interruption, a state that is no longer finite, an output that failed): a
// run's outputs are what its user keeps. An output that failed is dropped
// (its temporary removed, its real name untouched); the others are committed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/outputs/flight_report.h"
#include "sim/outputs/output.h"
#include "sim/run/runner.h"

namespace sim {

class RunOutputs {
 public:
  // Opens every output the options ask for; throws OutputError.
  RunOutputs(const RunOptions& options, const Scenario& scenario, halcyra::World& world);

  void redrawn(const Redraw& r) {
    for (Output* o : all_) o->redrawn(r);
  }
  void sampled(double t, halcyra::World& world) {
    for (Output* o : all_) o->sampled(t, world);
  }
  // Finishes every output at t, each once, whether or not another fails.
  // Returns the messages of those that failed.
  std::vector<std::string> finish(double t, halcyra::World& world) noexcept;

  // The report for the summary on standard error; null when quiet and not
  // written to a file, when no one reads it and it is not kept.
  const FlightReport* report() const { return report_; }

 private:
  std::vector<std::unique_ptr<Output>> owned_;
  std::vector<Output*> all_;  // owned_, then RunOptions::more
  FlightReport* report_ = nullptr;
};

}  // namespace sim
