// Line-of-sight angles of a direction in vessel axes.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/attitude_angles.h"

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kTol = 1e-12;
}  // namespace

TEST(DirectionAngles, ReadTheTargetsSideOfTheNose) {
  const VECTOR3 ahead = directionAngles({0, 0, 5});
  EXPECT_EQ(ahead.x, 0.0);
  EXPECT_EQ(ahead.y, 0.0);
  EXPECT_NEAR(directionAngles({1, 0, 1}).y, kPi / 4, kTol);
  EXPECT_NEAR(directionAngles({-1, 0, 1}).y, -kPi / 4, kTol);
  EXPECT_NEAR(directionAngles({0, 0, -2}).y, kPi, kTol);
  // Above the nose: negative pitch; the yaw carries the rounding of sin(acos(q)).
  const VECTOR3 above = directionAngles({0, 1, 1});
  EXPECT_NEAR(above.x, -kPi / 4, kTol);
  EXPECT_NEAR(above.y, 0.0, 1e-7);
  EXPECT_NEAR(directionAngles({0, -3, 3}).x, kPi / 4, kTol);
  EXPECT_EQ(directionAngles({-4, 2, -0.5}).z, 0.0);  // no roll in line-of-sight angles
}

TEST(DirectionAngles, DegenerateDirectionsGiveNaNYaw) {
  EXPECT_TRUE(std::isnan(directionAngles({0, 0, 0}).x));
  EXPECT_TRUE(std::isnan(directionAngles({0, 0, 0}).y));
  EXPECT_TRUE(std::isnan(directionAngles({0, 2, 0}).y));  // on the y axis: h = 0
}

TEST(DirectionAngles, DirectionsNextToTheVerticalPlaneHaveAYaw) {
  // About one in eight of these carried |d.z / h| past 1 before the clamp.
  int checked = 0;
  for (int i = 1; i <= 2000; ++i) {
    const double y = std::sin(0.37 * i) * 3.0;  // [m]
    const double z = std::cos(0.91 * i) * 5.0;  // [m]
    const double x = (i % 3 - 1) * 1e-10 * i;   // within 1e-9 of the plane, either side
    const VECTOR3 a = directionAngles({x, y, z});
    ASSERT_FALSE(std::isnan(a.y)) << "d = (" << x << ", " << y << ", " << z << ")";
    // h carries the rounding of sin(acos(q)), most where d is near vertical.
    if (std::fabs(z) > std::fabs(y)) {
      EXPECT_NEAR(std::fabs(a.y), z >= 0.0 ? 0.0 : kPi, 1e-6) << i;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 2000);
}
