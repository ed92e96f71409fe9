// Vector and rotation toolkit: basis cases, and the inverse operations checked
// against matrices built independently from orientationMatrix.
#include "geometry/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kTol = 1e-12;
constexpr double kHalfPi = 1.5707963267948966;

void expectVectorNear(const VECTOR3& actual, const VECTOR3& expected, double tol = kTol) {
  EXPECT_NEAR(actual.x, expected.x, tol);
  EXPECT_NEAR(actual.y, expected.y, tol);
  EXPECT_NEAR(actual.z, expected.z, tol);
}

void expectMatrixNear(const RotationMatrix& a, const RotationMatrix& b, double tol = 1e-12) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << "row " << i << " col " << j;
  }
}

// Seeded triples away from the poles of the convention: |beta| < pi/2, alpha
// and gamma inside (-pi, pi).
class RandomTriples : public ::testing::Test {
 protected:
  VECTOR3 next() { return {angle_(rng_), poleSafe_(rng_), angle_(rng_)}; }
  std::mt19937 rng_{20261207};
  std::uniform_real_distribution<double> angle_{-3.1, 3.1};
  std::uniform_real_distribution<double> poleSafe_{-1.5, 1.5};
};

}  // namespace

TEST(VectorOps, CrossProductFollowsRightHandedAxes) {
  expectVectorNear(crossProduct({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
  expectVectorNear(crossProduct({0, 0, 1}, {1, 0, 0}), {0, 1, 0});
  expectVectorNear(crossProduct({2, 3, 4}, {5, 6, 7}), {-3, 6, -3});
}

TEST(VectorOps, LengthAndUnitVector) {
  EXPECT_DOUBLE_EQ(vectorLength({3, 4, 12}), 13.0);
  expectVectorNear(unitVector({0, -5, 0}), {0, -1, 0});
  EXPECT_NEAR(vectorLength(unitVector({1e7, -2e6, 3.5})), 1.0, 1e-15);
}

TEST(VectorOps, ZeroVectorGivesNaNWithoutError) {
  const VECTOR3 u = unitVector({0, 0, 0});
  EXPECT_TRUE(std::isnan(u.x) && std::isnan(u.y) && std::isnan(u.z));
  const VECTOR3 angles = frameAngles({0, 0, 1}, {0, 0, 2});  // parallel axes
  EXPECT_TRUE(std::isnan(angles.z));
  EXPECT_TRUE(std::isnan(relativeAngles({0, 0, 0}, {1, 0, 0}).x));
}

TEST(RotateByAngles, SingleAxisTurnsHaveTheConventionsSenses) {
  const double t = 0.7;
  expectVectorNear(rotateByAngles({0.3, -2, 5}, {0, 0, 0}), {0.3, -2, 5});
  expectVectorNear(rotateByAngles({0, 0, 1}, {t, 0, 0}), {0, std::sin(t), std::cos(t)});
  expectVectorNear(rotateByAngles({1, 0, 0}, {0, t, 0}), {std::cos(t), 0, std::sin(t)});
  expectVectorNear(rotateByAngles({1, 0, 0}, {0, 0, t}), {std::cos(t), -std::sin(t), 0});
}

TEST(OrientationMatrix, MatchesTheWrittenOutProduct) {
  const double a = 0.4, b = -1.1, g = 2.5;
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b),
               cg = std::cos(g), sg = std::sin(g);
  const RotationMatrix expected{{{cb * cg, cb * sg, -sb},
                                 {sa * sb * cg - ca * sg, sa * sb * sg + ca * cg, sa * cb},
                                 {ca * sb * cg + sa * sg, ca * sb * sg - sa * cg, ca * cb}}};
  expectMatrixNear(orientationMatrix({a, b, g}), expected);
}

TEST_F(RandomTriples, RotateByAnglesEqualsOrientationMatrixProduct) {
  for (int k = 0; k < 200; ++k) {
    const VECTOR3 t = next();
    const VECTOR3 v{angle_(rng_) * 3, angle_(rng_), -angle_(rng_) * 7};
    expectVectorNear(rotateByAngles(v, t), orientationMatrix(t) * v, 1e-12);
  }
}

TEST_F(RandomTriples, FrameAnglesInvertsRotateByAngles) {
  for (int k = 0; k < 500; ++k) {
    const VECTOR3 t = next();
    const VECTOR3 back = frameAngles(rotateByAngles({0, 0, 1}, t), rotateByAngles({1, 0, 0}, t));
    expectVectorNear(back, t, 1e-9);
  }
}

TEST(FrameAngles, BasisFrames) {
  expectVectorNear(frameAngles({0, 0, 1}, {1, 0, 0}), {0, 0, 0});
  expectVectorNear(frameAngles({0, 0, 1}, {0, -1, 0}), {0, 0, kHalfPi});
  expectVectorNear(frameAngles({0, 1, 0}, {1, 0, 0}), {kHalfPi, 0, 0});
  // Axes need not be unit length.
  expectVectorNear(frameAngles({0, 0, 4e6}, {0, -3, 0}), {0, 0, kHalfPi});
}

TEST(RelativeAngles, PitchOfAFrameBelowTheNose) {
  expectVectorNear(relativeAngles({0, 0, 1}, {1, 0, 0}), {0, 0, 0});
  for (double theta : {-3.0, -1.2, -0.01, 0.3, 1.5707, 2.9}) {
    expectVectorNear(relativeAngles({0, -std::sin(theta), std::cos(theta)}, {1, 0, 0}),
                     {theta, 0, 0}, 1e-12);
  }
}

// For vessel orientation V and frame orientation F (both in global axes), F's
// axes in vessel coordinates are V^T F e_z and V^T F e_x, and the vessel's
// orientation expressed in F is F^T V.
TEST_F(RandomTriples, RelativeAnglesGiveTheVesselOrientationInTheFrame) {
  for (int k = 0; k < 300; ++k) {
    const RotationMatrix vessel = orientationMatrix(next());
    const RotationMatrix frame = orientationMatrix(next());
    const RotationMatrix frameInVessel = transpose(vessel) * frame;
    const VECTOR3 angles =
        relativeAngles(frameInVessel * VECTOR3{0, 0, 1}, frameInVessel * VECTOR3{1, 0, 0});
    const RotationMatrix vesselInFrame = transpose(frame) * vessel;
    if (std::fabs(std::fabs(angles.y) - kHalfPi) < 1e-3) continue;  // ill-conditioned at the pole
    expectMatrixNear(orientationMatrix(angles), vesselInFrame, 1e-9);
  }
}
