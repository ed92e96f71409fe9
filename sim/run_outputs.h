// The outputs of one run as a group: opened together before the run, fed as it
// goes, and committed together at its end, also when it ends early (an
// interruption, a state that is no longer finite, an output that failed):
// a run's outputs are what its user keeps. An output that failed is dropped
// (its temporary removed, its real name untouched); the others are committed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/flight_report.h"
#include "sim/gif_writer.h"
#include "sim/outputs.h"
#include "sim/runner.h"
#include "sim/screen_log.h"

namespace sim {

class RunOutputs {
 public:
  // Opens every output the options ask for; throws OutputError.
  RunOutputs(const RunOptions& options, const Scenario& scenario, halcyra::World& world);

  // Screen i was redrawn at t [s] with these drawing operations.
  void redrawn(double t, size_t screen, halcyra::World& world, const std::vector<GdiOp>& ops);
  void sample(double t, halcyra::World& world);  // every step; each output when due
  // The last pictures at t, then every output under its name.
  void finish(double t, halcyra::World& world);  // throws OutputError
  // After a failure at t: commits every output that has not failed. Returns
  // the messages of those that could not be committed either.
  std::vector<std::string> commitComplete(double t, halcyra::World& world) noexcept;

  const FlightReport& report() const { return report_; }

 private:
  void writeReport(double t);

  std::optional<DumpWriter> dump_;
  std::optional<TelemetryWriter> telemetry_;
  std::optional<FrameWriter> frames_;
  std::optional<ScreenLogWriter> screenLog_;
  std::optional<OutputFile> reportFile_;
  std::optional<GifWriter> gif_;
  FlightReport report_;
  bool reportWanted_ = true;
  bool gifDone_ = false;
  bool reportDone_ = false;
};

}  // namespace sim
