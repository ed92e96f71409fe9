#include "sim/outputs/run_outputs.h"

namespace sim {

RunOutputs::RunOutputs(const RunOptions& o, const Scenario& s, halcyra::World& world) {
  if (!o.dumpPath.empty()) owned_.push_back(openDump(o.dumpPath));
  if (!o.telemetryPath.empty()) owned_.push_back(openTelemetry(o.telemetryPath, o.telemetryEvery));
  if (!o.screensPath.empty()) owned_.push_back(openScreenLog(o.screensPath));
  const bool verifying =
      !s.expectations.empty() || !s.conditionalEvents.empty() || !o.junitPath.empty();
  if (!o.reportPath.empty() || !o.quiet || !s.expectations.empty() || o.finished) {
    auto report = std::make_unique<FlightReport>(o.reportPath);
    report_ = report.get();
    owned_.push_back(std::move(report));
  }
  openPictureOutputs(o, s, world, owned_);
  // After the report, which must be finished before the report figures are judged.
  if (verifying) {
    auto verification = std::make_unique<Verification>(s, report_, o.junitPath);
    verification_ = verification.get();
    owned_.push_back(std::move(verification));
  }
  for (const auto& output : owned_) all_.push_back(output.get());
  all_.insert(all_.end(), o.more.begin(), o.more.end());
}

std::vector<std::string> RunOutputs::finish(double t, halcyra::World& world) noexcept {
  std::vector<std::string> errors;
  for (Output* o : all_) {
    try {
      o->finished(t, world);
    } catch (const std::exception& e) {
      errors.push_back(e.what());
    }
  }
  return errors;
}

}  // namespace sim
