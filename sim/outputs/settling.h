// When a figure counts as settled, for the flight report's holds and for the
// settle test of expectations and conditions alike: the figure within its
// limit, and its rate of change within a limit too. The rate of change is the
// difference of two successive samples over the time between them: a hold
// whose reference turns (the velocity and target modes turn at the orbital
// rate, about 0.067 deg/s in low orbit) shows rates of that size while its
// deviations stay still, so the shown rates cannot tell a settled hold.
#pragma once

#include <cmath>
#include <optional>

namespace sim {

// Figures are read back from the page's two decimals; limits compare with
// this much slack so that a figure printed on the limit is within it.
constexpr double kSettleSlack = 1e-9;

struct Sample {
  double t = 0.0;  // [s]
  double value = 0.0;
};

// The smallest change a page figure shows: its two decimals. A figure that
// changes by one last digit between two redraws half a second apart has not
// moved by 0.02 per second; it has crossed a rounding boundary.
constexpr double kPageResolution = 0.01;

// value at t is settled after previous (none: no sample before it, so its
// rate of change is unknown and it does not settle): |value| <= within and
// |value - previous| <= rateWithin * (t - previous.t) + resolution, rateWithin
// in [unit / s], resolution the smallest change the samples show (0 for
// figures not read off a page).
inline bool settledSample(const Sample& now, const std::optional<Sample>& previous, double within,
                          double rateWithin, double resolution) {
  if (!(std::fabs(now.value) <= within + kSettleSlack)) return false;
  if (!previous || !(now.t > previous->t)) return false;
  const double change = std::fabs(now.value - previous->value);
  return change <= rateWithin * (now.t - previous->t) + resolution + kSettleSlack;
}

}  // namespace sim
