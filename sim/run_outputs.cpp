#include "sim/run_outputs.h"

namespace sim {

RunOutputs::RunOutputs(const RunOptions& o) {
  if (!o.dumpPath.empty()) dump_.emplace(o.dumpPath);
  if (!o.telemetryPath.empty()) telemetry_.emplace(o.telemetryPath, o.telemetryEvery);
  if (!o.framesDir.empty()) frames_.emplace(o.framesDir, o.frameEvery);
}

void RunOutputs::redrawn(double t, size_t screen, const std::vector<GdiOp>& ops) {
  if (dump_) dump_->write(t, screen, ops);
}

void RunOutputs::sample(double t, halcyra::World& world) {
  if (telemetry_) telemetry_->sample(t, world);
  if (frames_) frames_->sample(t, world);
}

void RunOutputs::finish(double t, halcyra::World& world) {
  if (frames_) frames_->final(t, world);
  if (dump_) dump_->commit();
  if (telemetry_) telemetry_->commit();
}

std::vector<std::string> RunOutputs::commitComplete() noexcept {
  std::vector<std::string> errors;
  auto commit = [&](OutputFile& f) {
    try {
      if (f.failed()) {
        f.discard();
      } else {
        f.commit();
      }
    } catch (const std::exception& e) {
      errors.push_back(e.what());
    }
  };
  if (dump_) commit(dump_->file());
  if (telemetry_) commit(telemetry_->file());
  return errors;
}

}  // namespace sim
