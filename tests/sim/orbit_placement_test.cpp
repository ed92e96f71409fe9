// Vessels placed by orbit: the state computed from the elements gives the
// same elements back through the module's own orbital elements, and a
// scenario places its vessels there.
#include "sim/scenario/orbit_placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "entry/orbital_elements.h"
#include "sim_run.h"

namespace {

constexpr double kMu = 3.986e14;       // [m^3/s^2]
constexpr double kRadius = 6371010.0;  // [m]
constexpr double kTwoPi = 6.283185307179586;

// Angles compared on the circle.
double angleDifference(double a, double b) {
  const double d = std::fmod(a - b, kTwoPi);
  return std::fabs(d > kTwoPi / 2 ? d - kTwoPi : (d < -kTwoPi / 2 ? d + kTwoPi : d));
}

TEST(OrbitPlacement, RoundTripsThroughTheModulesElements) {
  const sim::OrbitPlacement orbits[] = {
      {200e3, 400e3, 0.9, 1.2, 0.4, 2.0},
      {50e3, 300e3, 0.1, 5.5, 3.0, 0.3},
      {1000e3, 30000e3, 2.5, 0.2, 6.0, 4.0},  // retrograde, far apogee
      {400e3, 420e3, 1.5707963267948966, 3.1, 1.0, 3.14},
  };
  for (const sim::OrbitPlacement& o : orbits) {
    SCOPED_TRACE(o.inclination);
    const sim::StateVector s = sim::stateFromOrbit(o, kMu, kRadius);
    OrbitalElements el{};
    computeElements(s.position, s.velocity, kMu, el);
    EXPECT_NEAR(el.a * (1.0 - el.e) - kRadius, o.periapsisAltitude, 1e-3);
    EXPECT_NEAR(el.a * (1.0 + el.e) - kRadius, o.apoapsisAltitude, 1e-3);
    EXPECT_NEAR(el.inclination, o.inclination, 1e-12);
    EXPECT_LT(angleDifference(el.ascendingNode, o.ascendingNode), 1e-10);
    EXPECT_LT(angleDifference(el.argPeriapsis, o.argumentOfPeriapsis), 1e-9);
    EXPECT_LT(angleDifference(el.trueAnomaly, o.trueAnomaly), 1e-9);
  }
}

TEST(OrbitPlacement, ACircularEquatorialOrbitIsTheTextbookState) {
  // At the node line's origin (+x), moving towards +y at circular speed.
  const sim::StateVector s = sim::stateFromOrbit({300e3, 300e3, 0, 0, 0, 0}, kMu, kRadius);
  const double r = kRadius + 300e3;
  EXPECT_NEAR(s.position.x, r, 1e-6);
  EXPECT_NEAR(s.position.y, 0.0, 1e-6);
  EXPECT_NEAR(s.position.z, 0.0, 1e-6);
  EXPECT_NEAR(s.velocity.x, 0.0, 1e-9);
  EXPECT_NEAR(s.velocity.y, std::sqrt(kMu / r), 1e-9);
  EXPECT_NEAR(s.velocity.z, 0.0, 1e-9);
  // At apoapsis of a 50 x 300 km orbit: the default scenario's vessel.
  const sim::StateVector apo =
      sim::stateFromOrbit({50e3, 300e3, 0, 0, 0, 3.141592653589793}, kMu, kRadius);
  EXPECT_NEAR(apo.position.x, -r, 1e-6);
  EXPECT_NEAR(std::fabs(apo.velocity.y),
              std::sqrt(kMu * 2 * (kRadius + 50e3) / (r * (2 * kRadius + 350e3))), 1e-9);
}

class OrbitScenario : public simtest::SimRun {};

constexpr const char* kEarth = R"(
[sim]
until = 1.0
[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0
)";

TEST_F(OrbitScenario, PlacesTheVesselAndASpawnWhereTheElementsSay) {
  const std::string text = std::string(kEarth) + R"(
[[vessel]]
name = "Placed"
body = "Earth"
orbit = { periapsis_altitude = 200e3, apoapsis_altitude = 400e3, inclination = 0.9, ascending_node = 1.2, argument_of_periapsis = 0.4, true_anomaly = 2.0 }
[[vessel]]
name = "Circling"
body = "Earth"
orbit = { altitude = 400e3, inclination = 0.9, ascending_node = 0.3, true_anomaly = 1.0 }
[[event]]
t = 0.0
spawn = { name = "Spawned", body = "Earth", orbit = { altitude = 300e3 } }
)";
  const simtest::RunResult r =
      run({writeScenario("o.toml", text), "--telemetry", path("t.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  // A circular orbit from its altitude: the periapsis at the node, so that the
  // true anomaly is the angle from the node.
  const sim::StateVector want[] = {
      sim::stateFromOrbit({200e3, 400e3, 0.9, 1.2, 0.4, 2.0}, kMu, kRadius),
      sim::stateFromOrbit({400e3, 400e3, 0.9, 0.3, 0.0, 1.0}, kMu, kRadius)};
  ASSERT_GE(rows.size(), 4u);
  for (size_t i = 0; i < 2; ++i) {
    std::vector<double> cells;
    std::istringstream in(rows[i + 1].substr(rows[i + 1].find("Earth,") + 6));
    for (std::string c; std::getline(in, c, ',');) cells.push_back(std::stod(c));
    EXPECT_NEAR(cells.at(0), want[i].position.x, 1e-3);
    EXPECT_NEAR(cells.at(1), want[i].position.y, 1e-3);
    EXPECT_NEAR(cells.at(2), want[i].position.z, 1e-3);
    EXPECT_NEAR(cells.at(3), want[i].velocity.x, 1e-6);
    EXPECT_NEAR(cells.at(4), want[i].velocity.y, 1e-6);
    EXPECT_NEAR(cells.at(5), want[i].velocity.z, 1e-6);
  }
  // Inclination, node and anomaly default to 0: on +x, moving along +y.
  EXPECT_EQ(rows[3].rfind("0.000,Spawned,Earth,6671010,0,0,0,7729.8", 0), 0u) << rows[3];
}

TEST_F(OrbitScenario, RefusesWhatIsNoClosedOrbitAboveTheCentre) {
  const std::string vessel = std::string(kEarth) + "[[vessel]]\nname = \"V\"\nbody = \"Earth\"\n";
  const std::string full =
      "periapsis_altitude = 2e5, apoapsis_altitude = 4e5, inclination = 0.5, ascending_node = 0, "
      "argument_of_periapsis = 0, true_anomaly = 0";
  struct Case {
    std::string lines, message;
  } cases[] = {
      {"orbit = { " + full + " }\nposition = [1.0, 0.0, 0.0]\n",
       "'position' and 'orbit' exclude each other"},
      {"orbit = { periapsis_altitude = 4e5, apoapsis_altitude = 2e5, inclination = 0.5, "
       "ascending_node = 0, argument_of_periapsis = 0, true_anomaly = 0 }\n",
       "must not be below periapsis_altitude"},
      {"orbit = { periapsis_altitude = -7e6, apoapsis_altitude = 2e5, inclination = 0.5, "
       "ascending_node = 0, argument_of_periapsis = 0, true_anomaly = 0 }\n",
       "the periapsis lies at or below the centre of 'Earth'"},
      {"orbit = { periapsis_altitude = 2e5, apoapsis_altitude = 2e5, inclination = 4.0, "
       "ascending_node = 0, argument_of_periapsis = 0, true_anomaly = 0 }\n",
       "must be 0 to pi"},
      {"orbit = { periapsis_altitude = 2e5, inclination = 0.0 }\n",
       "orbit needs apoapsis_altitude, ascending_node, argument_of_periapsis and true_anomaly"},
      {"orbit = { altitude = 2e5, periapsis_altitude = 2e5 }\n",
       "'periapsis_altitude' and 'altitude' exclude each other"},
      {"orbit = { altitude = 2e5, inclination = -0.1 }\n", "must be 0 to pi"},
      {"orbit = { " + full + ", eccentricity = 0.1 }\n", "eccentricity"},
  };
  for (const Case& c : cases) {
    const simtest::RunResult r = run({writeScenario("bad.toml", vessel + c.lines)});
    EXPECT_EQ(r.status, 2) << c.lines;
    EXPECT_NE(r.err.find("bad.toml:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
