// The draws: each distribution's values over 1,000 runs fit it, and a
// dispersion's draws depend on the campaign's seed, the run and its name alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "campaign_files.h"
#include "sim/campaign/draw_stream.h"

namespace {

using campaigntest::CampaignFiles;

constexpr double kPi = 3.14159265358979323846;
constexpr uint64_t kRuns = 1000;

double normalCdf(double x, double mean, double sigma) {
  return 0.5 * std::erfc(-(x - mean) / (sigma * std::sqrt(2.0)));
}

// The one-sample Kolmogorov-Smirnov statistic of xs against cdf:
// D = max over the sorted sample of max(i / n - F(x_i), F(x_i) - (i - 1) / n).
double ksStatistic(std::vector<double> xs, const std::function<double(double)>& cdf) {
  std::sort(xs.begin(), xs.end());
  const double n = double(xs.size());
  double d = 0.0;
  for (size_t i = 0; i < xs.size(); ++i) {
    const double f = cdf(xs[i]);
    d = std::max({d, double(i + 1) / n - f, f - double(i) / n});
  }
  return d;
}
// The 1 % critical value of D for large n.
double ksCritical(size_t n) { return 1.628 / std::sqrt(double(n)); }

// Every distribution and sampled shape, each on a quantity that takes any
// value it draws.
constexpr const char* kAllDistributions = R"(
[[dispersion]]
name = "u"
vessel = "Gyre-1"
quantity = "orbit.true_anomaly"
uniform = [-1.0, 2.0]

[[dispersion]]
name = "n"
vessel = "Gyre-1"
quantity = "orbit.ascending_node"
normal = { mean = 0.5, sigma = 2.0 }

[[dispersion]]
name = "tn"
vessel = "Tender"
quantity = "orbit.argument_of_periapsis"
normal = { mean = 0.0, sigma = 1.0, min = -0.5, max = 1.5 }

[[dispersion]]
name = "ln"
vessel = "Tender"
quantity = "propellant"
lognormal = { mu = 3.0, sigma = 0.5 }

[[dispersion]]
name = "c"
vessel = "Tender"
quantity = "dry_mass"
choice = { values = [1000.0, 2000.0, 3000.0], weights = [1.0, 2.0, 7.0] }

[[dispersion]]
name = "dir"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.01, 0.02] }

[[dispersion]]
name = "rot"
vessel = "Gyre-1"
quantity = "orientation"
rotation = "uniform"

[[dispersion]]
name = "cone"
vessel = "Tender"
quantity = "orientation"
rotation = "cone"
sigma = 0.2
)";

// Tender on an orbit too, for the truncated normal's quantity.
std::string baseWithTwoOrbits() {
  std::string base = campaigntest::kBaseScenario;
  const std::string state = "position = [2.0e6, 0.0, 0.0]\nvelocity = [0.0, 1500.0, 0.0]";
  base.replace(base.find(state), state.size(),
               "orbit = { periapsis_altitude = 1e5, apoapsis_altitude = 2e5, inclination = 0.1, "
               "ascending_node = 0.0, argument_of_periapsis = 0.0, true_anomaly = 0.0 }");
  return base;
}

class Draws : public CampaignFiles {
 protected:
  // Each column's values over the runs.
  std::map<std::string, std::vector<double>> columns(const sim::CampaignPlan& plan) const {
    std::map<std::string, std::vector<double>> out;
    for (uint64_t k = 0; k < plan.settings().runs; ++k) {
      const sim::CampaignPlan::Run run = plan.run(k);
      for (size_t i = 0; i < run.drawn.size(); ++i)
        out[plan.drawnColumns()[i]].push_back(run.drawn[i]);
    }
    return out;
  }
};

TEST_F(Draws, EachDistributionFitsItsLawOverAThousandRuns) {
  const sim::CampaignPlan plan(
      writeCampaign(kAllDistributions, kRuns, 7, "all", baseWithTwoOrbits()));
  std::map<std::string, std::vector<double>> c = columns(plan);

  // The direction's z component over its length: uniform on [-1, 1].
  std::vector<double> z;
  for (size_t i = 0; i < kRuns; ++i)
    z.push_back(c["dir.z"][i] / std::hypot(c["dir.x"][i], c["dir.y"][i], c["dir.z"][i]));

  const double tnMass = normalCdf(1.5, 0, 1) - normalCdf(-0.5, 0, 1);
  const double sigma = 0.2;
  struct Law {
    const char* name;
    std::vector<double> values;
    std::function<double(double)> cdf;
  };
  const std::vector<Law> laws = {
      {"uniform", c["u"], [](double x) { return std::clamp((x + 1.0) / 3.0, 0.0, 1.0); }},
      {"normal", c["n"], [](double x) { return normalCdf(x, 0.5, 2.0); }},
      {"truncated normal", c["tn"],
       [&](double x) {
         return std::clamp((normalCdf(x, 0, 1) - normalCdf(-0.5, 0, 1)) / tnMass, 0.0, 1.0);
       }},
      {"lognormal", c["ln"],
       [](double x) { return x <= 0 ? 0.0 : normalCdf(std::log(x), 3.0, 0.5); }},
      {"uniform direction (z)", z, [](double x) { return std::clamp((x + 1.0) / 2.0, 0.0, 1.0); }},
      // The angle of a rotation uniform over all rotations: (t - sin t) / pi.
      {"uniform rotation (angle)", c["rot.angle"],
       [](double t) { return (t - std::sin(t)) / kPi; }},
      // The length of a vector of three normal(0, sigma) components: Maxwell's law.
      {"cone (angle)", c["cone.angle"],
       [&](double a) {
         const double x = a / sigma;
         return std::erf(x / std::sqrt(2.0)) - std::sqrt(2.0 / kPi) * x * std::exp(-x * x / 2.0);
       }},
  };
  for (const Law& law : laws) {
    ASSERT_EQ(law.values.size(), kRuns) << law.name;
    EXPECT_LT(ksStatistic(law.values, law.cdf), ksCritical(kRuns)) << law.name;
  }
  for (double x : c["tn"]) ASSERT_TRUE(x >= -0.5 && x <= 1.5) << x;

  // The choice by its frequencies: chi-square with 2 degrees of freedom,
  // 9.21 at 1 %.
  const std::map<double, double> expected = {{1000.0, 0.1}, {2000.0, 0.2}, {3000.0, 0.7}};
  std::map<double, double> seen;
  for (double x : c["c"]) seen[x] += 1.0;
  ASSERT_EQ(seen.size(), expected.size());
  double chi2 = 0.0;
  for (const auto& [value, p] : expected) {
    const double e = p * double(kRuns);
    chi2 += (seen[value] - e) * (seen[value] - e) / e;
  }
  EXPECT_LT(chi2, 9.21);
}

TEST_F(Draws, DependOnTheSeedTheRunAndTheNameAlone) {
  const std::string one = R"(
[[dispersion]]
name = "n"
vessel = "Gyre-1"
quantity = "orbit.ascending_node"
normal = { mean = 0.5, sigma = 2.0 }

[[dispersion]]
name = "dir"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.01, 0.02] }
)";
  // Another dispersion first, and the two in the other order.
  const std::string more = R"(
[[dispersion]]
name = "extra"
vessel = "Tender"
quantity = "propellant"
uniform = [1.0, 2.0]

[[dispersion]]
name = "dir"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.01, 0.02] }

[[dispersion]]
name = "n"
vessel = "Gyre-1"
quantity = "orbit.ascending_node"
normal = { mean = 0.5, sigma = 2.0 }
)";
  const sim::CampaignPlan a(writeCampaign(one, 20, 7, "a"));
  const sim::CampaignPlan again(writeCampaign(one, 20, 7, "again"));
  const sim::CampaignPlan b(writeCampaign(more, 20, 7, "b"));
  const sim::CampaignPlan otherSeed(writeCampaign(one, 20, 8, "seed8"));
  const auto ca = columns(a), cb = columns(b), cAgain = columns(again), cSeed = columns(otherSeed);
  for (const std::string name : {"n", "dir.x", "dir.y", "dir.z"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ca.at(name), cAgain.at(name));
    EXPECT_EQ(ca.at(name), cb.at(name));
    const std::vector<double>& v = ca.at(name);
    for (size_t k = 1; k < v.size(); ++k) EXPECT_NE(v[k], v[k - 1]) << "run " << k;
    for (size_t k = 0; k < v.size(); ++k) EXPECT_NE(v[k], cSeed.at(name)[k]) << "run " << k;
  }
  // The run seed is the campaign's, whatever the dispersions.
  for (uint64_t k = 0; k < 20; ++k) EXPECT_EQ(a.runSeed(k), b.runSeed(k));
  EXPECT_NE(a.runSeed(3), otherSeed.runSeed(3));
  // FNV-1a 64's published check values, which name each stream.
  EXPECT_EQ(sim::fnv1a64(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(sim::fnv1a64("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(sim::fnv1a64("foobar"), 0x85944171f73967e8ull);
}

}  // namespace
