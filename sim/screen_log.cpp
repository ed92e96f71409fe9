#include "sim/screen_log.h"

#include <cmath>
#include <cstdio>

#include "sim/csv_field.h"
#include "sim/number_text.h"

namespace sim {

const char* const kScreenLogHeader =
    "t,screen,mode,hold,target,dev_pitch,dev_yaw,dev_roll,rate_pitch,rate_yaw,rate_roll,"
    "distance,range_rate,entry_angle,time_to_go,help_page";

namespace {

// "%.10g" through number_text.h, not printf, the same on every platform. A
// figure that is not a number is "nan" whatever its sign bit, which means
// nothing (a page's "+nan" and "-nan" alike); zero is "0", never "-0".
void figure(FILE* f, const std::optional<double>& value) {
  std::string text = ",";
  if (value) {
    if (std::isnan(*value)) {
      text += "nan";
    } else {
      appendG10(text, *value == 0.0 ? 0.0 : *value);
    }
  }
  std::fputs(text.c_str(), f);
}

}  // namespace

ScreenLogWriter::ScreenLogWriter(const std::string& path) : file_(path) {
  file_.printf("%s\n", kScreenLogHeader);
}

void ScreenLogWriter::write(double t, size_t screen, const PageReading& p) {
  FILE* f = file_.stream();
  std::fprintf(f, "%.3f,%zu,%s,%d,%s", t, screen, csvField(p.mode).c_str(), p.hold ? 1 : 0,
               csvField(p.target).c_str());
  for (const auto& d : p.deviation) figure(f, d);
  for (const auto& r : p.rate) figure(f, r);
  figure(f, p.distance);
  figure(f, p.rangeRate);
  figure(f, p.entryAngle);
  figure(f, p.timeToGo);
  std::fprintf(f, ",%d\n", p.helpPage);
  file_.check();
}

}  // namespace sim
