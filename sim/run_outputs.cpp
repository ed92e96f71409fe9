#include "sim/run_outputs.h"

#include "sim/page_reading.h"

namespace sim {

RunOutputs::RunOutputs(const RunOptions& o, const Scenario& s, halcyra::World& world) {
  if (!o.dumpPath.empty()) dump_.emplace(o.dumpPath);
  if (!o.telemetryPath.empty()) telemetry_.emplace(o.telemetryPath, o.telemetryEvery);
  if (!o.framesDir.empty()) frames_.emplace(o.framesDir, o.frameEvery);
  if (!o.screensPath.empty()) screenLog_.emplace(o.screensPath);
  if (!o.reportPath.empty()) reportFile_.emplace(o.reportPath);
  if (!o.gifDir.empty()) gif_.emplace(o.gifDir, o.gifSpeed, o.gifEvery, s.redraw, world);
  // The report is written with --report and summed up on stderr unless quiet;
  // otherwise no one reads it, and it is not kept.
  reportWanted_ = reportFile_.has_value() || !o.quiet;
}

void RunOutputs::redrawn(double t, size_t i, halcyra::World& world, const std::vector<GdiOp>& ops) {
  if (dump_) dump_->write(t, i, ops);
  if (reportWanted_ || screenLog_) {
    const PageReading page = readPage(ops);
    if (reportWanted_) report_.redraw(t, i, page);
    if (screenLog_) screenLog_->write(t, i, page);
  }
  if (gif_) gif_->redrawn(t, i, world.screen(i));
}

void RunOutputs::sample(double t, halcyra::World& world) {
  if (telemetry_) telemetry_->sample(t, world);
  if (reportWanted_) report_.sample(t, world);
  if (frames_) frames_->sample(t, world);
  if (gif_) gif_->sample(t, world);
}

void RunOutputs::writeReport(double t) {
  if (reportDone_) return;
  reportDone_ = true;
  report_.finish(t);
  if (reportFile_) {
    reportFile_->put(report_.json());
    reportFile_->commit();
  }
}

void RunOutputs::finish(double t, halcyra::World& world) {
  if (frames_) frames_->final(t, world);
  if (dump_) dump_->commit();
  if (telemetry_) telemetry_->commit();
  if (screenLog_) screenLog_->commit();
  if (gif_) gif_->finish(t, world);
  gifDone_ = true;
  writeReport(t);
}

std::vector<std::string> RunOutputs::commitComplete(double t, halcyra::World& world) noexcept {
  std::vector<std::string> errors;
  auto attempt = [&](auto&& commit) {
    try {
      commit();
    } catch (const std::exception& e) {
      errors.push_back(e.what());
    }
  };
  auto commitFile = [&](OutputFile& f) {
    attempt([&] {
      if (f.failed()) {
        f.discard();
      } else {
        f.commit();
      }
    });
  };
  if (dump_) commitFile(dump_->file());
  if (telemetry_) commitFile(telemetry_->file());
  if (screenLog_) commitFile(screenLog_->file());
  if (gif_ && !gifDone_) {
    gifDone_ = true;  // a GIF that failed is not tried again
    attempt([&] { gif_->finish(t, world); });
  }
  if (reportFile_ && reportFile_->failed()) {
    reportFile_->discard();
  } else {
    attempt([&] { writeReport(t); });
  }
  return errors;
}

}  // namespace sim
