// The entry-interface prediction held against the truth of kepler_truth.h on a
// few hundred states in each regime: shown wherever a descending crossing lies
// ahead on this revolution, and then within a millionth of the truth in time,
// angle, position and velocity; undefined wherever none does. A state at the
// interface itself, going down, may be shown as 0 s or as undefined.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "entry/entry_prediction_core.h"
#include "entry_regimes.h"
#include "kepler_truth.h"

namespace {

using gyrelle_test::Regime;

constexpr int kStatesPerRegime = gyrelle_test::kRegimeStates;
constexpr double kTolerance = 1e-6;    // relative
constexpr double kAtInterface = 1e-6;  // a truth this close to 0 s is a state at the interface [s]

struct RegimeCase {
  Regime regime;
  const char* name;
  int minAhead;      // states with a crossing ahead, at least
  int minUndefined;  // states with none (open, missing or behind), at least
};

// The case's name in test listings (not its bytes).
void PrintTo(const RegimeCase& c, std::ostream* out) { *out << c.name; }

std::string described(const gyrelle_test::OrbitState& s) {
  char text[200];
  std::snprintf(text, sizeof text, "state {%.17g, %.17g, %.17g} m, {%.17g, %.17g, %.17g} m/s",
                s.pos.x, s.pos.y, s.pos.z, s.vel.x, s.vel.y, s.vel.z);
  return text;
}

double distance(const VECTOR3& a, const gyrelle_test::RealVector& b) {
  const long double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

double length(const gyrelle_test::RealVector& v) {
  return static_cast<double>(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
}

class PredictionAgainstTruth : public ::testing::TestWithParam<RegimeCase> {};

TEST_P(PredictionAgainstTruth, ShownWhereACrossingLiesAheadAndWithinAMillionth) {
  const RegimeCase& regime = GetParam();
  int ahead = 0, undefined = 0;
  double worstTime = 0, worstAngle = 0, worstPosition = 0, worstVelocity = 0;  // relative
  for (const auto& state :
       gyrelle_test::regimeStates(regime.regime, kStatesPerRegime, gyrelle_test::kRegimeSeed)) {
    const auto truth = gyrelle_test::truthCrossing(state.pos, state.vel, gyrelle_test::kRegimeMu,
                                                   gyrelle_test::kRegimeEiRadius);
    EntryPrediction p{};
    predictEntryFromState(state.pos, state.vel, gyrelle_test::kRegimeMu,
                          gyrelle_test::kRegimeEiRadius, p);
    if (truth.crosses && std::fabs(truth.timeToGo) < kAtInterface) {
      if (p.valid) {
        EXPECT_LT(std::fabs(p.timeToGo), kAtInterface) << described(state);
      }
      continue;
    }
    if (!truth.crosses || !truth.ahead) {
      ++undefined;
      EXPECT_FALSE(p.valid) << "shown " << p.timeToGo << " s; " << described(state);
      continue;
    }
    ++ahead;
    if (!p.valid) {
      ADD_FAILURE() << "undefined, truth " << static_cast<double>(truth.timeToGo) << " s; "
                    << described(state);
      continue;
    }
    const double time = static_cast<double>(truth.timeToGo);
    const double timeError = std::fabs(p.timeToGo - time) / std::max(time, 1.0);
    const double angleError =
        static_cast<double>(std::fabs(p.entryAngle - truth.entryAngle) / truth.entryAngle);
    const double positionError = distance(p.eiPosition, truth.position) / length(truth.position);
    const double velocityError = distance(p.eiVelocity, truth.velocity) / length(truth.velocity);
    EXPECT_LE(timeError, kTolerance)
        << p.timeToGo << " s, truth " << time << "; " << described(state);
    EXPECT_LE(angleError, kTolerance) << described(state);
    EXPECT_LE(positionError, kTolerance) << described(state);
    EXPECT_LE(velocityError, kTolerance) << described(state);
    worstTime = std::max(worstTime, timeError);
    worstAngle = std::max(worstAngle, angleError);
    worstPosition = std::max(worstPosition, positionError);
    worstVelocity = std::max(worstVelocity, velocityError);
  }
  // The regime holds what it is meant to: no comparison passes for want of cases.
  EXPECT_GE(ahead, regime.minAhead);
  EXPECT_GE(undefined, regime.minUndefined);
  std::printf(
      "%-15s %3d ahead, %3d undefined; worst relative error: time %.1e, angle %.1e, "
      "position %.1e, velocity %.1e\n",
      regime.name, ahead, undefined, worstTime, worstAngle, worstPosition, worstVelocity);
}

INSTANTIATE_TEST_SUITE_P(
    Regimes, PredictionAgainstTruth,
    ::testing::Values(RegimeCase{Regime::Elliptic, "Elliptic", 200, 10},
                      RegimeCase{Regime::NearCircular, "NearCircular", 150, 50},
                      RegimeCase{Regime::Equatorial, "Equatorial", 200, 10},
                      RegimeCase{Regime::Retrograde, "Retrograde", 200, 10},
                      RegimeCase{Regime::NearRadial, "NearRadial", 200, 1},
                      RegimeCase{Regime::Radial, "Radial", 200, 1},
                      RegimeCase{Regime::NearParabolic, "NearParabolic", 100, 50},
                      RegimeCase{Regime::AtInterface, "AtInterface", 100, 0},
                      RegimeCase{Regime::BelowInterface, "BelowInterface", 100, 100},
                      RegimeCase{Regime::Open, "Open", 0, kStatesPerRegime}),
    [](const ::testing::TestParamInfo<RegimeCase>& info) { return std::string(info.param.name); });

}  // namespace
