// Each kind of dispersion puts its drawn value where it belongs, in the
// scenario a run flies and in the text written for it, which reads back as
// the same scenario.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "campaign_files.h"
#include "host/frames.h"
#include "host/vessel_classes.h"
#include "sim/campaign/dispersion.h"

namespace {

using campaigntest::CampaignFiles;
using sim::Scenario;

const halcyra::VesselSpec& vessel(const Scenario& s, const std::string& name) {
  for (const sim::VesselEntry& v : s.vessels)
    if (v.spec.name == name) return v.spec;
  throw std::runtime_error("no vessel " + name);
}
const sim::VesselEntry& entry(const Scenario& s, const std::string& name) {
  for (const sim::VesselEntry& v : s.vessels)
    if (v.spec.name == name) return v;
  throw std::runtime_error("no vessel " + name);
}
// The timed event that came from the [[event]] table at `line` of the base.
const sim::Event& eventAt(const Scenario& s, sim::EventKind kind) {
  for (const sim::Event& e : s.events)
    if (e.kind == kind) return e;
  throw std::runtime_error("no such event");
}
VECTOR3 vec(const std::vector<double>& d, size_t i = 0) { return {d[i], d[i + 1], d[i + 2]}; }

void expectSameVector(const VECTOR3& a, const VECTOR3& b, const char* what) {
  EXPECT_EQ(a.x, b.x) << what;
  EXPECT_EQ(a.y, b.y) << what;
  EXPECT_EQ(a.z, b.z) << what;
}

// Every field a flight reads, compared exactly.
void expectSameScenario(const Scenario& a, const Scenario& b) {
  EXPECT_EQ(a.step, b.step);
  EXPECT_EQ(a.until, b.until);
  ASSERT_EQ(a.vessels.size(), b.vessels.size());
  for (size_t i = 0; i < a.vessels.size(); ++i) {
    const halcyra::VesselSpec &u = a.vessels[i].spec, &v = b.vessels[i].spec;
    SCOPED_TRACE(u.name);
    EXPECT_EQ(u.name, v.name);
    EXPECT_EQ(u.vesselClass, v.vesselClass);
    EXPECT_EQ(u.body, v.body);
    expectSameVector(u.position, v.position, "position");
    expectSameVector(u.velocity, v.velocity, "velocity");
    expectSameVector(u.orientation, v.orientation, "orientation");
    expectSameVector(u.angularVelocity, v.angularVelocity, "angular velocity");
    EXPECT_EQ(u.dryMass, v.dryMass);
    EXPECT_EQ(u.propellant, v.propellant);
    EXPECT_EQ(u.pmi.has_value(), v.pmi.has_value());
    if (u.pmi && v.pmi) expectSameVector(*u.pmi, *v.pmi, "pmi");
    EXPECT_EQ(u.docks, v.docks);
    ASSERT_EQ(u.extraThrusters.size(), v.extraThrusters.size());
    for (size_t t = 0; t < u.extraThrusters.size(); ++t) {
      const halcyra::Thruster &p = u.extraThrusters[t], &q = v.extraThrusters[t];
      EXPECT_EQ(p.group, q.group);
      expectSameVector(p.position, q.position, "thruster position");
      expectSameVector(p.direction, q.direction, "thruster direction");
      EXPECT_EQ(p.max, q.max);
      EXPECT_EQ(p.exhaustSpeed, q.exhaustSpeed);
    }
  }
  ASSERT_EQ(a.events.size(), b.events.size());
  for (size_t i = 0; i < a.events.size(); ++i) {
    EXPECT_EQ(a.events[i].t, b.events[i].t);
    EXPECT_EQ(a.events[i].kind, b.events[i].kind);
    EXPECT_EQ(a.events[i].typedText, b.events[i].typedText);
    EXPECT_EQ(a.events[i].key, b.events[i].key);
  }
  EXPECT_EQ(a.conditionalEvents.size(), b.conditionalEvents.size());
}

struct KindCase {
  const char* name;
  const char* dispersions;
  // Checks the run's scenario against its drawn values and the base scenario.
  std::function<void(const Scenario& run, const std::vector<double>& drawn, const Scenario& base)>
      check;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

// [rad] The angle between two attitudes given by their angles.
double angleBetween(const VECTOR3& a, const VECTOR3& b) {
  const halcyra::Matrix3 m =
      halcyra::transpose(halcyra::orientationMatrix(a)) * halcyra::orientationMatrix(b);
  return std::acos(std::clamp((m.m[0][0] + m.m[1][1] + m.m[2][2] - 1.0) / 2.0, -1.0, 1.0));
}

const std::vector<KindCase>& kindCases() {
  static const std::vector<KindCase> cases = {
      {"UniformRotation",
       R"([[dispersion]]
name = "attitude"
vessel = "Gyre-1"
quantity = "orientation"
rotation = "uniform")",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         expectSameVector(vessel(s, "Gyre-1").orientation, vec(d), "orientation");
         EXPECT_NEAR(d[3], angleBetween(vessel(base, "Gyre-1").orientation, vec(d)), 1e-6);
       }},
      {"ConeRotation",
       R"([[dispersion]]
name = "attitude"
vessel = "Tender"
quantity = "orientation"
rotation = "cone"
sigma = 0.05)",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         expectSameVector(vessel(s, "Tender").orientation, vec(d), "orientation");
         EXPECT_NEAR(d[3], angleBetween(vessel(base, "Tender").orientation, vec(d)), 1e-6);
         EXPECT_LT(d[3], 0.05 * 6);
       }},
      {"SpinUniformDirection",
       R"([[dispersion]]
name = "spin"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.01, 0.0349] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         expectSameVector(vessel(s, "Gyre-1").angularVelocity, vec(d), "angular velocity");
         const double m = halcyra::length(vec(d));
         EXPECT_TRUE(m >= 0.01 && m <= 0.0349) << m;
       }},
      {"PositionAddedToAnOrbitsState",
       R"([[dispersion]]
name = "offset"
vessel = "Gyre-1"
quantity = "position"
apply = "add"
each = { normal = { mean = 0.0, sigma = 10.0 } })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         const sim::VesselEntry& v = entry(s, "Gyre-1");
         EXPECT_FALSE(v.orbit.has_value());
         expectSameVector(v.spec.position, vessel(base, "Gyre-1").position + vec(d), "position");
         expectSameVector(v.spec.velocity, vessel(base, "Gyre-1").velocity, "velocity");
       }},
      {"VelocitySet",
       R"([[dispersion]]
name = "v"
vessel = "Tender"
quantity = "velocity"
each = { uniform = [-5.0, 5.0] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         expectSameVector(vessel(s, "Tender").velocity, vec(d), "velocity");
       }},
      {"PmiScaledFromTheClass",
       R"([[dispersion]]
name = "inertia"
vessel = "Gyre-1"
quantity = "pmi"
apply = "scale"
each = { uniform = [0.9, 1.1] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         const VECTOR3 pmi = halcyra::builtInClass("generic")->pmi;
         expectSameVector(*vessel(s, "Gyre-1").pmi, halcyra::multiplyEach(pmi, vec(d)), "pmi");
       }},
      {"PropellantSet",
       R"([[dispersion]]
name = "fuel"
vessel = "Tender"
quantity = "propellant"
normal = { mean = 400.0, sigma = 20.0, min = 350.0 })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         EXPECT_EQ(vessel(s, "Tender").propellant, d[0]);
         EXPECT_GE(d[0], 350.0);
       }},
      {"DryMassScaled",
       R"([[dispersion]]
name = "dry"
vessel = "Gyre-1"
quantity = "dry_mass"
apply = "scale"
lognormal = { mu = 0.0, sigma = 0.05 })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         EXPECT_EQ(vessel(s, "Gyre-1").dryMass, 16000.0 * d[0]);
       }},
      {"CircularOrbitInclinationAdded",
       R"([[dispersion]]
name = "incl"
vessel = "Gyre-1"
quantity = "orbit.inclination"
apply = "add"
normal = { mean = 0.0, sigma = 0.01 })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         const sim::OrbitPlacement& o = *entry(s, "Gyre-1").orbit;
         EXPECT_EQ(o.inclination, 0.9 + d[0]);
         EXPECT_EQ(o.periapsisAltitude, 400e3);
         EXPECT_EQ(o.apoapsisAltitude, 400e3);
         EXPECT_EQ(o.ascendingNode, 0.5);
         EXPECT_EQ(o.trueAnomaly, 1.0);
       }},
      {"TrueAnomalyChosen",
       R"([[dispersion]]
name = "where"
vessel = "Gyre-1"
quantity = "orbit.true_anomaly"
choice = { values = [0.0, 2.0, 4.0], weights = [1.0, 0.0, 3.0] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         EXPECT_EQ(entry(s, "Gyre-1").orbit->trueAnomaly, d[0]);
         EXPECT_NE(d[0], 2.0);  // weight 0
       }},
      {"ThrustersScaledAndExhaustSet",
       R"([[dispersion]]
name = "thrust"
vessel = "Tender"
quantity = "thruster.max"
apply = "scale"
normal = { mean = 1.0, sigma = 0.02, min = 0.9, max = 1.1 }

[[dispersion]]
name = "isp"
vessel = "Tender"
quantity = "thruster.exhaust_speed"
uniform = [2900.0, 3100.0])",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         const halcyra::VesselSpec& v = vessel(s, "Tender");
         std::vector<halcyra::Thruster> before = halcyra::builtInClass("generic")->thrusters;
         before.push_back(vessel(base, "Tender").extraThrusters[0]);
         EXPECT_EQ(v.vesselClass, "none");
         ASSERT_EQ(v.extraThrusters.size(), before.size());
         ASSERT_EQ(d.size(), 2 * before.size());
         for (size_t i = 0; i < before.size(); ++i) {
           EXPECT_EQ(v.extraThrusters[i].group, before[i].group) << i;
           expectSameVector(v.extraThrusters[i].position, before[i].position, "position");
           expectSameVector(v.extraThrusters[i].direction, before[i].direction, "direction");
           EXPECT_EQ(v.extraThrusters[i].max, before[i].max * d[i]) << i;
           EXPECT_EQ(v.extraThrusters[i].exhaustSpeed, d[before.size() + i]) << i;
         }
         EXPECT_EQ(v.dryMass, 16000.0);
         EXPECT_EQ(v.propellant, 500.0);
         expectSameVector(*v.pmi, {15.0, 16.0, 6.0}, "pmi");
         EXPECT_EQ(v.docks, 1);
       }},
      {"RelativePositionAndVelocity",
       R"([[dispersion]]
name = "near"
vessel = "Tender"
quantity = "relative_position"
relative_to = "Gyre-1"
each = { normal = { mean = 0.0, sigma = 100.0 } }

[[dispersion]]
name = "drift"
vessel = "Tender"
quantity = "relative_velocity"
relative_to = "Gyre-1"
direction = "uniform"
magnitude = { uniform = [0.1, 1.0] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         const halcyra::VesselSpec& v = vessel(s, "Tender");
         const halcyra::VesselSpec& other = vessel(base, "Gyre-1");
         EXPECT_EQ(v.body, "Earth");
         expectSameVector(v.position, other.position + vec(d, 0), "position");
         expectSameVector(v.velocity, other.velocity + vec(d, 3), "velocity");
       }},
      {"RelativeVelocityKeepsTheVesselsPlaceOnTheOthersBody",
       R"([[dispersion]]
name = "drift"
vessel = "Tender"
quantity = "relative_velocity"
relative_to = "Gyre-1"
each = { uniform = [-1.0, 1.0] })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario& base) {
         const halcyra::VesselSpec& v = vessel(s, "Tender");
         EXPECT_EQ(v.body, "Earth");
         // Luna stands at (3.844e8, 1e7, 0) from Earth.
         expectSameVector(v.position,
                          vessel(base, "Tender").position + VECTOR3{3.844e8, 1.0e7, 0.0},
                          "position");
         expectSameVector(v.velocity, vessel(base, "Gyre-1").velocity + vec(d), "velocity");
       }},
      {"EventTimeAndInput",
       R"([[dispersion]]
name = "when"
event = 0
quantity = "t"
apply = "add"
uniform = [0.0, 1.0]

[[dispersion]]
name = "answer"
event = 1
quantity = "input"
decimals = 2
normal = { mean = -10.0, sigma = 3.0 })",
       [](const Scenario& s, const std::vector<double>& d, const Scenario&) {
         EXPECT_EQ(eventAt(s, sim::EventKind::Key).t, 2.0 + d[0]);
         const std::string typed = eventAt(s, sim::EventKind::Input).typedText;
         EXPECT_EQ(typed, sim::typedNumber(d[1], 2));
         EXPECT_EQ(std::stod(typed), d[1]);
         EXPECT_EQ(typed.size() - typed.find('.'), 3u) << typed;
       }},
  };
  return cases;
}

class WrittenScenario : public CampaignFiles, public ::testing::WithParamInterface<KindCase> {};

TEST_P(WrittenScenario, HoldsTheDrawnValueAndReadsBackAsTheRunsScenario) {
  const KindCase& c = GetParam();
  const sim::CampaignPlan plan(writeCampaign(c.dispersions));
  for (uint64_t k : {0u, 1u, 9u}) {
    SCOPED_TRACE("run " + std::to_string(k));
    const sim::CampaignPlan::Run run = plan.run(k);
    ASSERT_EQ(run.drawn.size(), plan.drawnColumns().size());
    const std::string text = plan.scenarioText(k);
    const Scenario written = sim::parseScenario(text, "run.toml");
    c.check(written, run.drawn, plan.base());
    expectSameScenario(written, run.scenario);
  }
  // A run is the same whatever runs the plan made before.
  const sim::CampaignPlan fresh(path("test.campaign.toml"));
  SCOPED_TRACE("run 1 first");
  expectSameScenario(fresh.run(1).scenario, plan.run(1).scenario);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, WrittenScenario, ::testing::ValuesIn(kindCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
