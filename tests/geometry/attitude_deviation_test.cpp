// Attitude deviation of a vessel of the stand-in host from a reference plus offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/attitude_angles.h"
#include "geometry/vector_math.h"
#include "host/world.h"

namespace {

constexpr double kTol = 1e-9;

void expectVectorNear(const VECTOR3& actual, const VECTOR3& expected, double tol = kTol) {
  EXPECT_NEAR(actual.x, expected.x, tol);
  EXPECT_NEAR(actual.y, expected.y, tol);
  EXPECT_NEAR(actual.z, expected.z, tol);
}

// One thrusterless vessel in low Earth orbit with a tilted orientation.
class VesselInOrbit : public ::testing::Test {
 protected:
  void SetUp() override {
    halcyra::World::install(&world_);
    world_.addBody("Earth", 3.986e14, 6371010.0, {1.0e5, -2.0e5, 3.0e5});
    halcyra::VesselSpec spec;
    spec.name = "Probe";
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = {6.8e6, 1.0e5, -2.0e5};
    spec.velocity = {0.0, 7600.0, 100.0};
    spec.orientation = {0.3, -0.8, 2.1};
    id_ = world_.addVessel(spec);
  }
  void TearDown() override { halcyra::World::install(nullptr); }

  const VESSEL& vessel() { return *world_.vessel(id_)->iface; }
  VESSELSTATUS status() {
    VESSELSTATUS s;
    vessel().GetStatus(s);
    return s;
  }
  VECTOR3 globalPos() {
    VECTOR3 p;
    hapiGetGlobalPos(vessel().GetHandle(), &p);
    return p;
  }
  VECTOR3 deviation(const VECTOR3& ref, const VECTOR3& offset) {
    return attitudeDeviation(ref, offset, globalPos(), vessel());
  }

  halcyra::World world_;
  halcyra::ObjectId id_ = 0;
};

}  // namespace

TEST_F(VesselInOrbit, ZeroRightAfterCapturingTheOwnOrientation) {
  expectVectorNear(deviation(status().orientation, {0, 0, 0}), {0, 0, 0});
}

TEST_F(VesselInOrbit, EachOffsetShowsWithTheOppositeSign) {
  const VECTOR3 ref = status().orientation;
  const double pitchOffset = -10.5 * 0.017453292519943278;
  expectVectorNear(deviation(ref, {pitchOffset, 0, 0}), {-pitchOffset, 0, 0});
  expectVectorNear(deviation(ref, {0, 0.4, 0}), {0, -0.4, 0});
  expectVectorNear(deviation(ref, {0, 0, -2.2}), {0, 0, 2.2});
}

// The wanted attitude is W = O(ref) O(offset); the deviation is the vessel's
// orientation V expressed in it, W^T V, built here from matrices. Directions
// pass through global points some 7e6 m out, so about 1e-9 of each is rounding.
TEST_F(VesselInOrbit, DeviationIsTheVesselOrientationInTheWantedFrame) {
  const RotationMatrix vesselMatrix = orientationMatrix(status().orientation);
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> angle(-3.1, 3.1), poleSafe(-1.4, 1.4);
  for (int k = 0; k < 100; ++k) {
    const VECTOR3 ref{angle(rng), poleSafe(rng), angle(rng)};
    const VECTOR3 offset{angle(rng) / 3, poleSafe(rng) / 3, angle(rng) / 3};
    const RotationMatrix wanted = orientationMatrix(ref) * orientationMatrix(offset);
    const VECTOR3 dev = deviation(ref, offset);
    if (std::fabs(std::fabs(dev.y) - 1.5707963267948966) < 1e-3) continue;  // ill-conditioned
    const RotationMatrix expected = transpose(wanted) * vesselMatrix;
    const RotationMatrix actual = orientationMatrix(dev);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(actual.m[i][j], expected.m[i][j], 1e-8);
    }
  }
}

TEST_F(VesselInOrbit, NoseAboveTheWantedAxisReadsPositivePitch) {
  // Wanted forward axis: the vessel's nose turned towards its -y side.
  const RotationMatrix v = orientationMatrix(status().orientation);
  const VECTOR3 nose = v * VECTOR3{0, 0, 1}, up = v * VECTOR3{0, 1, 0};
  const VECTOR3 lateral = v * VECTOR3{1, 0, 0};
  const double t = 0.2;
  const VECTOR3 wantedZ = nose * std::cos(t) - up * std::sin(t);
  const VECTOR3 dev = deviation(frameAngles(wantedZ, lateral), {0, 0, 0});
  expectVectorNear(dev, {t, 0, 0});
}
