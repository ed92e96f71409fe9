// The statistics of a campaign's results: a figure's spread over the runs,
// and a pass rate with its confidence interval.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

namespace sim {

// z of a two-sided 95 % interval: the normal distribution's 0.975 quantile.
constexpr double kZ95 = 1.959963984540054;

// The quantiles a figure's statistics give, as fractions.
constexpr double kQuantiles[] = {0.01, 0.05, 0.50, 0.95, 0.99};

struct FigureStatistics {
  size_t n = 0;                // values counted
  std::optional<double> mean;  // none without values
  std::optional<double> std;   // sample standard deviation (n - 1); none below two values
  std::optional<double> min, max;
  std::optional<double> quantile[std::size(kQuantiles)];  // as kQuantiles
};

// Of the finite values (others, and none, are not counted), summed in their
// order: the same values in the same order give the same bits.
FigureStatistics figureStatistics(const std::vector<double>& values);

// Quantile q (0 to 1) of ascending values, numpy's default ("linear"):
// between the values of ranks floor(h) and floor(h) + 1, h = (n - 1) q,
// interpolated as numpy's _lerp does (from the nearer end) so that the
// result matches numpy.quantile bit for bit. values must not be empty.
double quantileOfSorted(const std::vector<double>& sorted, double q);

// Wilson's score interval for a proportion, passed of runs, at z standard
// deviations (E. B. Wilson, "Probable inference, the law of succession, and
// statistical inference", JASA 22, 1927; recommended over the plain normal
// interval by A. Agresti and B. A. Coull, "Approximate is better than 'exact'
// for interval estimation of binomial proportions", Am. Stat. 52, 1998):
// (p + z^2/2n +- z sqrt(p (1 - p)/n + z^2/4n^2)) / (1 + z^2/n), p = passed/runs.
// None when runs is 0.
struct ConfidenceInterval {
  double low = 0.0, high = 0.0;
};
std::optional<ConfidenceInterval> wilsonInterval(uint64_t passed, uint64_t runs, double z = kZ95);

}  // namespace sim
