// A distribution of one number, as a campaign file states it:
//   uniform = [min, max]
//   normal = { mean, sigma, min?, max? }   (truncated when min / max are given)
//   lognormal = { mu, sigma }              (of the number's logarithm)
//   choice = { values = [...], weights = [...]? }
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/campaign/draw_stream.h"
#include "sim/scenario/toml_reader.h"

namespace sim {

struct Distribution {
  enum class Kind { Uniform, Normal, LogNormal, Choice };
  Kind kind = Kind::Uniform;
  double min = 0.0, max = 0.0;            // Uniform; Normal's truncation (-inf / +inf = none)
  double mean = 0.0, sigma = 1.0;         // Normal; LogNormal's mu and sigma
  std::vector<double> values;             // Choice
  std::vector<double> cumulativeWeights;  // Choice: running sums, the last the total

  double sample(DrawStream& draws) const;
};

// The redraws a truncated normal may take before the run is refused, and the
// least probability of its interval that reading accepts: at 5 % the chance
// of 1000 misses in a row is below 1e-22.
constexpr int kMaxTruncatedNormalTries = 1000;
constexpr double kMinTruncatedNormalMass = 0.05;

// The keys that state a distribution, for the messages.
constexpr const char* kDistributionKeys = "uniform, normal, lognormal or choice";

// Reads the one distribution key of r's table (marking it read); nullopt
// when r has none. Throws ScenarioError at what is wrong: two keys, min >= max,
// sigma <= 0, weights that do not match the values, a truncation that leaves
// too little of the normal.
std::optional<Distribution> readDistribution(TableReader& r);

}  // namespace sim
