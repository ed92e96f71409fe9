// Orientation angles, Global2Local and the status record.
#include <cmath>
#include <random>

#include "earth_world.h"
#include "host/frames.h"

namespace halcyra {
namespace {

// Rotation by theta about a unit axis, active (Rodrigues).
Matrix3 axisAngle(const VECTOR3& u, double theta) {
  const double c = std::cos(theta), s = std::sin(theta), t = 1 - c;
  return Matrix3{{{c + u.x * u.x * t, u.x * u.y * t - u.z * s, u.x * u.z * t + u.y * s},
                  {u.y * u.x * t + u.z * s, c + u.y * u.y * t, u.y * u.z * t - u.x * s},
                  {u.z * u.x * t - u.y * s, u.z * u.y * t + u.x * s, c + u.z * u.z * t}}};
}

// The status matrix Rx(a) Ry(b) Rz(g) built from three active rotations: each
// elementary matrix of the convention turns by minus its angle.
Matrix3 statusMatrixByAxes(const VECTOR3& angles) {
  return axisAngle({1, 0, 0}, -angles.x) * axisAngle({0, 1, 0}, -angles.y) *
         axisAngle({0, 0, 1}, -angles.z);
}

TEST(OrientationAngles, RoundTripThroughTheMatrixForRandomTriples) {
  std::mt19937 rng(20240601);
  std::uniform_real_distribution<double> full(-M_PI, M_PI), half(-1.55, 1.55);
  for (int i = 0; i < 2000; ++i) {
    const VECTOR3 a{full(rng), half(rng), full(rng)};
    const VECTOR3 back = orientationAngles(orientationMatrix(a));
    EXPECT_NEAR(back.x, a.x, 1e-9) << i;
    EXPECT_NEAR(back.y, a.y, 1e-9) << i;
    EXPECT_NEAR(back.z, a.z, 1e-9) << i;
  }
}

TEST(OrientationAngles, MatrixColumnsAreTheVesselAxes) {
  // beta = +30 deg: the nose (third column) has global x = -sin(beta); row 0
  // of the matrix is (cb cg, cb sg, -sb).
  const Matrix3 r = orientationMatrix({0, M_PI / 6, 0});
  EXPECT_NEAR(r.m[0][2], -0.5, 1e-15);
  EXPECT_NEAR(r.m[2][2], std::sqrt(3.0) / 2, 1e-15);
  EXPECT_NEAR(r.m[2][0], 0.5, 1e-15);
}

class StatusInOrbit : public EarthWorld {};

TEST_F(StatusInOrbit, Global2LocalIsTransposeOfRotationAppliedToOffset) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> ang(-1.5, 1.5), d(-1e4, 1e4);
  Vessel* v = world->vessel(gyre1);
  for (int i = 0; i < 200; ++i) {
    const VECTOR3 angles{ang(rng), ang(rng), ang(rng)};
    v->rotation = orientationMatrix(angles);
    const Matrix3 r = statusMatrixByAxes(angles);
    const VECTOR3 p = v->position + VECTOR3{d(rng), d(rng), d(rng)};
    VECTOR3 local{};
    iface(gyre1)->Global2Local(p, local);
    const VECTOR3 off = p - v->position;
    for (int k = 0; k < 3; ++k) {
      const double expect = r.m[0][k] * off.x + r.m[1][k] * off.y + r.m[2][k] * off.z;
      EXPECT_NEAR(local[k], expect, 1e-8) << i << " axis " << k;
    }
  }
}

TEST_F(StatusInOrbit, StatusIsRelativeToEarthWithAnglesAndBase) {
  Vessel* v = world->vessel(gyre1);
  v->rotation = orientationMatrix({0.1, -0.2, 0.3});
  v->angVel = {0.01, 0.02, 0.03};
  VESSELSTATUS s{};
  iface(gyre1)->GetStatus(s);
  EXPECT_EQ(s.refBody, toHandle(earth));
  EXPECT_EQ(s.base, toHandle(cape));
  EXPECT_DOUBLE_EQ(s.relPos.x, 6671010.0);
  EXPECT_DOUBLE_EQ(s.relVel.y, 7730.0);
  EXPECT_NEAR(s.orientation.x, 0.1, 1e-12);
  EXPECT_NEAR(s.orientation.y, -0.2, 1e-12);
  EXPECT_NEAR(s.orientation.z, 0.3, 1e-12);
  EXPECT_DOUBLE_EQ(s.angVel.z, 0.03);
  EXPECT_DOUBLE_EQ(iface(gyre1)->GetMass(), 20000.0);

  VESSELSTATUS t{};
  iface(tenderId)->GetStatus(t);
  EXPECT_EQ(t.base, nullptr);
  world->deleteObject(cape);
  iface(gyre1)->GetStatus(s);
  EXPECT_EQ(s.base, nullptr) << "a deleted base is reported as none";
}

TEST_F(StatusInOrbit, RelativeQuantitiesAreOwnMinusObjects) {
  VECTOR3 p{}, v{};
  iface(gyre1)->GetRelativePos(toHandle(tenderId), p);
  iface(gyre1)->GetRelativeVel(toHandle(tenderId), v);
  EXPECT_DOUBLE_EQ(p.y, -100.0);
  EXPECT_DOUBLE_EQ(v.y, -1.0);
  EXPECT_DOUBLE_EQ(v.z, -2.0);
  iface(gyre1)->GetRelativeVel(toHandle(cape), v);  // bases stand still
  EXPECT_DOUBLE_EQ(v.y, 7730.0);
  iface(gyre1)->GetRelativePos(toHandle(cape), p);
  EXPECT_DOUBLE_EQ(p.x, 300000.0);
}

}  // namespace
}  // namespace halcyra
