#include <cmath>

#include "sim/outputs/number_text.h"
#include "sim/outputs/run_outputs.h"
#include "sim/outputs/text_sink.h"

namespace sim {
namespace {

// A figure the page does not show is an empty field. One that is not a number
// is "nan" whatever its sign bit, which means nothing (a page's "+nan" and
// "-nan" alike).
void appendShown(std::string& out, const std::optional<double>& value) {
  out += ',';
  if (!value) return;
  if (std::isnan(*value)) {
    out += "nan";
  } else {
    appendFigure(out, *value);
  }
}

class ScreenLogOutput : public Output {
 public:
  explicit ScreenLogOutput(std::unique_ptr<TextSink> file) : file_(std::move(file)) {
    file_->put(
        "t,screen,mode,hold,target,dev_pitch,dev_yaw,dev_roll,rate_pitch,rate_yaw,rate_roll,"
        "distance,range_rate,entry_angle,time_to_go,help_page\n");
  }
  void redrawn(const Redraw& r) override {
    row_.clear();
    appendScreenLogRow(row_, r.t, r.screen, r.page());
    file_->put(row_);
  }
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_->commit(); }

 private:
  std::unique_ptr<TextSink> file_;
  std::string row_;  // its buffer kept for the next
};

}  // namespace

std::unique_ptr<Output> openScreenLog(const std::string& path) {
  return std::make_unique<ScreenLogOutput>(std::make_unique<TextSink>(path));
}

std::unique_ptr<Output> openScreenLogText(std::string& text) {
  return std::make_unique<ScreenLogOutput>(std::make_unique<TextSink>(text));
}

void appendScreenLogRow(std::string& out, double t, size_t screen, const PageReading& p) {
  appendTime(out, t);
  out += ',';
  appendInt(out, screen);
  out += ',';
  appendCsvField(out, p.mode);
  out += p.hold ? ",1," : ",0,";
  appendCsvField(out, p.target);
  for (const auto& d : p.deviation) appendShown(out, d);
  for (const auto& r : p.rate) appendShown(out, r);
  appendShown(out, p.distance);
  appendShown(out, p.rangeRate);
  appendShown(out, p.entryAngle);
  appendShown(out, p.timeToGo);
  out += ',';
  appendInt(out, p.helpPage);
  out += '\n';
}

}  // namespace sim
