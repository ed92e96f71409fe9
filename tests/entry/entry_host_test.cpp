// Catalogue lookup, elements and the prediction through the stand-in host, and
// the prediction checked against the host's own integration of the orbit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "entry/entry_prediction.h"
#include "entry/entry_prediction_core.h"
#include "entry/grav_bodies.h"
#include "entry/orbital_elements.h"
#include "geometry/vector_math.h"
#include "host/world.h"

namespace {

constexpr double kMu = 3.986e14;         // the Earth record's [m^3/s^2]
constexpr double kEiRadius = 6470000.0;  // [m]

class HostWorld : public ::testing::Test {
 protected:
  void SetUp() override { halcyra::World::install(&world_); }
  void TearDown() override { halcyra::World::install(nullptr); }

  // A thrusterless vessel about `body`, made the focus.
  halcyra::ObjectId flyVessel(const std::string& body, const VECTOR3& pos, const VECTOR3& vel) {
    halcyra::VesselSpec spec;
    spec.name = "Capsule" + std::to_string(++vessels_);
    spec.vesselClass = "none";
    spec.body = body;
    spec.position = pos;
    spec.velocity = vel;
    const halcyra::ObjectId id = world_.addVessel(spec);
    EXPECT_TRUE(world_.setFocus(id));
    return id;
  }
  double radiusOf(halcyra::ObjectId id, halcyra::ObjectId body) {
    return vectorLength(world_.globalPosition(id) - world_.globalPosition(body));
  }

  halcyra::World world_;
  int vessels_ = 0;
};

// Earth alone at the origin of the global frame.
class EarthOrbitInHost : public HostWorld {
 protected:
  void SetUp() override {
    HostWorld::SetUp();
    earth_ = world_.addBody("Earth", kMu, 6371010.0, {0, 0, 0});
  }
  halcyra::ObjectId earth_ = 0;
};

}  // namespace

TEST_F(HostWorld, CatalogueLookupIsByExactName) {
  const auto sun = world_.addBody("Sun", 1.328e20, 6.96e8, {1e12, 0, 0});
  const auto lowerSun = world_.addBody("sun", 1.0, 1.0, {2e12, 0, 0});
  const auto earth = world_.addBody("Earth", kMu, 6371010.0, {0, 0, 0});
  const auto moon = world_.addBody("Moon", 4.904e12, 1738000.0, {3.8e8, 0, 0});
  const auto vulcan = world_.addBody("Vulcan", 1.0e13, 2.0e6, {0, 5e11, 0});
  EXPECT_EQ(findGravBody(halcyra::toHandle(sun)), 0);
  EXPECT_EQ(gravBodies[findGravBody(halcyra::toHandle(sun))].eiRadius, 0.0);
  EXPECT_EQ(findGravBody(halcyra::toHandle(lowerSun)), kUnknownGravBody);
  EXPECT_EQ(findGravBody(halcyra::toHandle(earth)), kEarthGravBody);
  EXPECT_EQ(findGravBody(halcyra::toHandle(moon)), 4);
  EXPECT_EQ(findGravBody(halcyra::toHandle(vulcan)), kUnknownGravBody);
  EXPECT_EQ(findGravBody(nullptr), kUnknownGravBody);
}

TEST_F(HostWorld, UnknownBodyWritesOnlyTheIndexAndTheDebugLine) {
  world_.addBody("Vulcan", 1.0e13, 2.0e6, {0, 0, 0});
  flyVessel("Vulcan", {3e6, 0, 0}, {0, 1800, 0});
  OrbitalElements el{};
  el.e = 0.5;
  UpdateElements(el);
  EXPECT_EQ(el.bodyIndex, kUnknownGravBody);
  EXPECT_EQ(el.e, 0.5);
  EXPECT_STREQ(hapiDebugString(), "UpdateElements(): Unknown grav body");
}

TEST_F(HostWorld, PredictionIsUndefinedAboutABodyWithoutInterface) {
  world_.addBody("Mars", 4.283e13, 3389920.0, {0, 0, 0});
  flyVessel("Mars", {3.6e6, 0, 0}, {0, 3400, 0});
  EntryPrediction p{true, 7.0, 8.0, {}, {}};
  predictEntryInterface(p);
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.entryAngle, 7.0);
}

TEST_F(HostWorld, PredictionWithoutFocusVesselIsUndefined) {
  EntryPrediction p{true, 7.0, 8.0, {}, {}};
  predictEntryInterface(p);
  EXPECT_FALSE(p.valid);
}

TEST_F(EarthOrbitInHost, HostStatusGivesTheWorkedPrediction) {
  flyVessel("Earth", {6671010, 0, 0}, {0, 7655.7227, 0});
  OrbitalElements el{};
  UpdateElements(el);
  EXPECT_EQ(el.bodyIndex, kEarthGravBody);
  EXPECT_NEAR(el.e, 0.0190956, 1e-7);

  EntryPrediction p{};
  predictEntryInterface(p);
  ASSERT_TRUE(p.valid);
  EXPECT_NEAR(p.timeToGo, 1878.74, 0.01);
  EXPECT_NEAR(p.entryAngle, 0.015161, 1e-6);
  EXPECT_NEAR(p.eiPosition.x, -3855503, 2.0);
  EXPECT_NEAR(p.eiVelocity.y, -4799.93, 0.01);
}

// Truth from elsewhere: the host integrates the same state with no thrust and
// the vessel's radius crosses the interface when and where predicted.
TEST_F(EarthOrbitInHost, CrossesInterfaceWhenAndWherePredicted) {
  std::mt19937 rng(1207);
  std::uniform_real_distribution<double> periapsis(6.25e6, 6.44e6), apoapsis(6.6e6, 7.2e6),
      angle(0.0, 6.28), inclination(0.0, 3.1), anomaly(0.0, 4.5);
  constexpr double kStep = 0.01;  // [s]
  int flown = 0;
  while (flown < 5) {
    const double rp = periapsis(rng), ra = apoapsis(rng);
    const double a = 0.5 * (rp + ra), e = (ra - rp) / (ra + rp), p = a * (1 - e * e);
    // True anomaly 0 .. 4.5 rad: ahead of the descending crossing (near 5.5 rad and on).
    const double nu = anomaly(rng);
    const double radius = p / (1 + e * std::cos(nu)), k = std::sqrt(kMu / p);
    const VECTOR3 rPerifocal{radius * std::cos(nu), radius * std::sin(nu), 0};
    const VECTOR3 vPerifocal{-k * std::sin(nu), k * (e + std::cos(nu)), 0};
    const RotationMatrix plane = orientationMatrix({inclination(rng), angle(rng), angle(rng)});
    const VECTOR3 pos = plane * rPerifocal, vel = plane * vPerifocal;
    if (radius < kEiRadius) continue;  // start above the interface

    const halcyra::ObjectId id = flyVessel("Earth", pos, vel);
    EntryPrediction pred{};
    predictEntryInterface(pred);
    ASSERT_TRUE(pred.valid) << "rp " << rp << " ra " << ra << " nu " << nu;

    double t = 0.0;
    double rPrev = radiusOf(id, earth_);
    VECTOR3 posPrev = world_.globalPosition(id), velPrev = world_.globalVelocity(id);
    bool crossed = false;
    while (t < pred.timeToGo + 10.0) {
      world_.step(kStep);
      t += kStep;
      const double r = radiusOf(id, earth_);
      const VECTOR3 posNow = world_.globalPosition(id), velNow = world_.globalVelocity(id);
      if (rPrev >= kEiRadius && r < kEiRadius) {
        const double f = (rPrev - kEiRadius) / (rPrev - r);  // linear within one step
        const double tCross = t - kStep + f * kStep;
        const VECTOR3 posCross = posPrev + f * (posNow - posPrev);
        const VECTOR3 velCross = velPrev + f * (velNow - velPrev);
        EXPECT_NEAR(tCross, pred.timeToGo, 0.01);
        EXPECT_LT(vectorLength(posCross - pred.eiPosition), 10.0);
        EXPECT_LT(vectorLength(velCross - pred.eiVelocity), 0.01);
        crossed = true;
        break;
      }
      rPrev = r;
      posPrev = posNow;
      velPrev = velNow;
    }
    EXPECT_TRUE(crossed) << "no crossing within 10 s of " << pred.timeToGo << " s";
    world_.deleteObject(id);
    ++flown;
  }
}
