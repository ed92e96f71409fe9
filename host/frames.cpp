#include "host/frames.h"

#include <cmath>

namespace halcyra {

Matrix3 orientationMatrix(const VECTOR3& angles) {
  const double ca = std::cos(angles.x), sa = std::sin(angles.x);
  const double cb = std::cos(angles.y), sb = std::sin(angles.y);
  const double cg = std::cos(angles.z), sg = std::sin(angles.z);
  const Matrix3 rx{{{1, 0, 0}, {0, ca, sa}, {0, -sa, ca}}};
  const Matrix3 ry{{{cb, 0, -sb}, {0, 1, 0}, {sb, 0, cb}}};
  const Matrix3 rz{{{cg, sg, 0}, {-sg, cg, 0}, {0, 0, 1}}};
  return rx * ry * rz;
}

VECTOR3 orientationAngles(const Matrix3& r) {
  // Rounding can push |R[0][2]| a hair above 1 near beta = +-90 deg.
  const double s = std::fmax(-1.0, std::fmin(1.0, r.m[0][2]));
  return {std::atan2(r.m[1][2], r.m[2][2]), -std::asin(s), std::atan2(r.m[0][1], r.m[0][0])};
}

double length(const VECTOR3& a) { return std::sqrt(dot(a, a)); }

bool isFinite(const VECTOR3& a) {
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

bool isFinite(const Matrix3& a) {
  for (const auto& row : a.m)
    for (double x : row)
      if (!std::isfinite(x)) return false;
  return true;
}

}  // namespace halcyra
