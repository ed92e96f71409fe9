// The outputs of one run as a group: opened together before the run, fed as it
// goes, and committed together at its end, also when it ends early (an
// interruption, a state that is no longer finite, an output that failed):
// a run's outputs are what its user keeps. An output that failed is dropped
// (its temporary removed, its real name untouched); the others are committed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/outputs.h"
#include "sim/runner.h"

namespace sim {

class RunOutputs {
 public:
  explicit RunOutputs(const RunOptions& options);  // throws OutputError

  void redrawn(double t, size_t screen, const std::vector<GdiOp>& ops);  // t [s]
  void sample(double t, halcyra::World& world);                          // when due
  // The last pictures at t, then every output under its name.
  void finish(double t, halcyra::World& world);  // throws OutputError
  // After a failure: commits every output that has not failed. Returns the
  // messages of those that could not be committed either.
  std::vector<std::string> commitComplete() noexcept;

 private:
  std::optional<DumpWriter> dump_;
  std::optional<TelemetryWriter> telemetry_;
  std::optional<FrameWriter> frames_;
};

}  // namespace sim
