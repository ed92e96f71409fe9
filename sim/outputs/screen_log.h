// The screen log (--screens): one CSV row per screen per redraw, read off the
// page as the pilot reads it (sim/outputs/page_reading.h). Columns, in this order:
//   t           redraw time [s], 3 decimals
//   screen      screen index
//   mode        reference mode shown, without " (Hold)"; empty for another page
//   hold        1 while the mode line shows " (Hold)", else 0
//   target      target name shown; empty when none
//   dev_pitch, dev_yaw, dev_roll     deviations shown [deg]
//   rate_pitch, rate_yaw, rate_roll  rates shown [deg/s]
//   distance    to the target [m] (a "k", "M" or "AU" figure converted)
//   range_rate  radial velocity to the target [m/s]
//   entry_angle at the entry interface [deg]
//   time_to_go  to the entry interface [s]
//   help_page   0, or 1..7 while a help page is shown
// A figure the page does not show (a blank column) is an empty field; one
// that is not a number is "nan".
#pragma once

#include <string>

#include "sim/outputs/output.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/page_reading.h"

namespace sim {

class ScreenLogOutput : public Output {
 public:
  explicit ScreenLogOutput(const std::string& path);  // throws OutputError
  void redrawn(const Redraw& r) override { write(r.t, r.screen, r.page()); }
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_.commitOrDiscard(); }

  // The row of screen showing page at t [s].
  void write(double t, size_t screen, const PageReading& page);

 private:
  OutputFile file_;
  std::string row_;  // its buffer kept for the next
};

// The header line, without its line break.
extern const char* const kScreenLogHeader;

}  // namespace sim
