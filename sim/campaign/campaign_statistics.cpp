#include "sim/campaign/campaign_statistics.h"

#include <algorithm>
#include <cmath>

namespace sim {

double quantileOfSorted(const std::vector<double>& sorted, double q) {
  const double h = double(sorted.size() - 1) * q;
  const double below = std::floor(h);
  const size_t i = size_t(below);
  const double t = h - below;
  const double a = sorted[i];
  const double b = sorted[std::min(i + 1, sorted.size() - 1)];
  const double diff = b - a;
  return t >= 0.5 ? b - diff * (1.0 - t) : a + diff * t;
}

FigureStatistics figureStatistics(const std::vector<double>& values) {
  FigureStatistics s;
  std::vector<double> finite;
  finite.reserve(values.size());
  for (double v : values)
    if (std::isfinite(v)) finite.push_back(v);
  s.n = finite.size();
  if (finite.empty()) return s;
  double sum = 0.0;
  for (double v : finite) sum += v;
  const double mean = sum / double(s.n);
  s.mean = mean;
  if (s.n >= 2) {
    double squares = 0.0;  // two passes: the deviations from the mean, not sum(x^2) - n mean^2
    for (double v : finite) squares += (v - mean) * (v - mean);
    s.std = std::sqrt(squares / double(s.n - 1));
  }
  std::sort(finite.begin(), finite.end());
  s.min = finite.front();
  s.max = finite.back();
  for (size_t i = 0; i < std::size(kQuantiles); ++i)
    s.quantile[i] = quantileOfSorted(finite, kQuantiles[i]);
  return s;
}

std::optional<ConfidenceInterval> wilsonInterval(uint64_t passed, uint64_t runs, double z) {
  if (runs == 0) return std::nullopt;
  const double n = double(runs);
  const double p = double(passed) / n;
  const double z2 = z * z;
  const double scale = 1.0 + z2 / n;
  const double centre = (p + z2 / (2.0 * n)) / scale;
  const double half = z * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n)) / scale;
  // At 0 or all passed one end is exactly 0 or 1; rounding would leave a trace.
  return ConfidenceInterval{passed == 0 ? 0.0 : std::max(0.0, centre - half),
                            passed == runs ? 1.0 : std::min(1.0, centre + half)};
}

}  // namespace sim
