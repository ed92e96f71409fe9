#include "sim/outputs/screen_log.h"

#include <cmath>

#include "sim/outputs/number_text.h"

namespace sim {

const char* const kScreenLogHeader =
    "t,screen,mode,hold,target,dev_pitch,dev_yaw,dev_roll,rate_pitch,rate_yaw,rate_roll,"
    "distance,range_rate,entry_angle,time_to_go,help_page";

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

}  // namespace

ScreenLogOutput::ScreenLogOutput(const std::string& path) : file_(path) {
  file_.put(kScreenLogHeader);
  file_.put("\n");
}

void ScreenLogOutput::write(double t, size_t screen, const PageReading& p) {
  std::string& out = row_;
  out.clear();
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
  file_.put(out);
}

}  // namespace sim
