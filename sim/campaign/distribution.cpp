// How each distribution is drawn from the uniform and normal numbers of a
// DrawStream (draw_stream.h):
// - uniform: min + (max - min) u, u uniform in (0, 1].
// - normal: mean + sigma z, z standard normal (Box-Muller). Truncated: drawn
//   again until inside [min, max] (rejection; Robert, "Simulation of
//   truncated normal variables", Stat. Comput. 5, 1995, the naive sampler),
//   which keeps the normal's shape exactly inside the interval.
// - lognormal: exp(mu + sigma z).
// - choice: the inverse of the cumulative weights at u * total (Devroye,
//   Non-Uniform Random Variate Generation, 1986, section III.2).
#include "sim/campaign/distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sim {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The standard normal CDF, Phi(x) = erfc(-x / sqrt 2) / 2.
double normalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

std::vector<double> numbers(const TomlValue& array, const TomlDocument& doc,
                            const std::string& what) {
  if (!array.is_array()) doc.fail(array, what + " must be an array of numbers");
  std::vector<double> out;
  for (const TomlValue& e : array.as_array()) {
    const std::optional<double> x = finiteNumber(e, doc);
    if (!x) doc.fail(e, what + " must hold finite numbers");
    out.push_back(*x);
  }
  return out;
}

Distribution readUniform(TableReader& r) {
  const TomlValue& n = *r.node("uniform");
  const TomlDocument& doc = r.document();
  const std::vector<double> range = numbers(n, doc, "'uniform'");
  if (range.size() != 2) doc.fail(n, "'uniform' must be [min, max]");
  Distribution d;
  d.kind = Distribution::Kind::Uniform;
  d.min = range[0];
  d.max = range[1];
  if (!(d.min < d.max)) doc.fail(n, "'uniform' needs min < max");
  return d;
}

Distribution readNormal(TableReader& outer) {
  const TomlValue& n = *outer.node("normal");
  const TomlDocument& doc = outer.document();
  if (!n.is_table()) doc.fail(n, "'normal' must be a table { mean, sigma, min?, max? }");
  TableReader r(n, doc, "normal");
  Distribution d;
  d.kind = Distribution::Kind::Normal;
  d.mean = r.required(r.number("mean"), "mean");
  d.sigma = r.required(r.number("sigma"), "sigma");
  r.check(d.sigma > 0.0, "sigma", "must be positive");
  d.min = r.number("min").value_or(-kInf);
  d.max = r.number("max").value_or(kInf);
  if (r.has("min") && r.has("max")) r.check(d.min < d.max, "max", "must be above min");
  const double mass = normalCdf((d.max - d.mean) / d.sigma) - normalCdf((d.min - d.mean) / d.sigma);
  if (mass < kMinTruncatedNormalMass)
    r.fail(r.tablePos(), "normal: [min, max] holds too little of the distribution (" +
                             std::to_string(mass * 100.0) + " %, at least 5 % needed)");
  r.finish();
  return d;
}

Distribution readLogNormal(TableReader& outer) {
  const TomlValue& n = *outer.node("lognormal");
  const TomlDocument& doc = outer.document();
  if (!n.is_table()) doc.fail(n, "'lognormal' must be a table { mu, sigma }");
  TableReader r(n, doc, "lognormal");
  Distribution d;
  d.kind = Distribution::Kind::LogNormal;
  d.mean = r.required(r.number("mu"), "mu");
  d.sigma = r.required(r.number("sigma"), "sigma");
  r.check(d.sigma > 0.0, "sigma", "must be positive");
  r.finish();
  return d;
}

Distribution readChoice(TableReader& outer) {
  const TomlValue& n = *outer.node("choice");
  const TomlDocument& doc = outer.document();
  if (!n.is_table()) doc.fail(n, "'choice' must be a table { values, weights? }");
  TableReader r(n, doc, "choice");
  Distribution d;
  d.kind = Distribution::Kind::Choice;
  const TomlValue* values = r.node("values");
  if (!values) r.fail(r.tablePos(), "choice needs 'values'");
  d.values = numbers(*values, doc, "'values'");
  if (d.values.empty()) doc.fail(*values, "'values' must not be empty");
  std::vector<double> weights(d.values.size(), 1.0);
  if (const TomlValue* w = r.node("weights")) {
    weights = numbers(*w, doc, "'weights'");
    if (weights.size() != d.values.size())
      doc.fail(
          *w, "'weights' must hold one weight per value (" + std::to_string(d.values.size()) + ")");
    for (size_t i = 0; i < weights.size(); ++i)
      if (weights[i] < 0.0) doc.fail(w->as_array()[i], "a weight must not be negative");
  }
  double total = 0.0;
  for (double w : weights) d.cumulativeWeights.push_back(total += w);
  if (!(total > 0.0) || !std::isfinite(total))
    r.fail(r.valuePos("weights"), "'weights' must have a positive, finite sum");
  r.finish();
  return d;
}

}  // namespace

std::optional<Distribution> readDistribution(TableReader& r) {
  const char* keys[] = {"uniform", "normal", "lognormal", "choice"};
  const char* found = nullptr;
  for (const char* k : keys) {
    if (!r.has(k)) continue;
    if (found) {
      const bool kLater = r.valuePos(found) < r.valuePos(k);
      r.fail(r.valuePos(kLater ? k : found), "more than one distribution ('" +
                                                 std::string(kLater ? found : k) + "' and '" +
                                                 (kLater ? k : found) + "')");
    }
    found = k;
  }
  if (!found) return std::nullopt;
  const std::string key = found;
  if (key == "uniform") return readUniform(r);
  if (key == "normal") return readNormal(r);
  if (key == "lognormal") return readLogNormal(r);
  return readChoice(r);
}

double Distribution::sample(DrawStream& draws) const {
  switch (kind) {
    case Kind::Uniform:
      return min + (max - min) * draws.uniform01();
    case Kind::Normal:
      for (int i = 0; i < kMaxTruncatedNormalTries; ++i) {
        const double x = mean + sigma * draws.normal();
        if (x >= min && x <= max) return x;
      }
      throw std::runtime_error("a truncated normal drew nothing inside [min, max] in " +
                               std::to_string(kMaxTruncatedNormalTries) + " tries");
    case Kind::LogNormal:
      return std::exp(mean + sigma * draws.normal());
    case Kind::Choice: {
      const double u = draws.uniform01() * cumulativeWeights.back();
      // The first value whose running sum reaches u (u > 0, so a value of
      // weight 0 is never chosen).
      const auto at = std::lower_bound(cumulativeWeights.begin(), cumulativeWeights.end(), u);
      return values[std::min(size_t(at - cumulativeWeights.begin()), values.size() - 1)];
    }
  }
  return 0.0;
}

}  // namespace sim
