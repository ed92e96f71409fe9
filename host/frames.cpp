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

Matrix3 identity3() { return Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
  Matrix3 c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      c.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
  return c;
}

VECTOR3 operator*(const Matrix3& a, const VECTOR3& v) {
  return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
          a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
          a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

Matrix3 transpose(const Matrix3& a) {
  Matrix3 t{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.m[i][j] = a.m[j][i];
  return t;
}

Matrix3 reorthonormalise(const Matrix3& r) {
  const Matrix3 rtr = transpose(r) * r;
  Matrix3 k{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) k.m[i][j] = ((i == j ? 3.0 : 0.0) - rtr.m[i][j]) * 0.5;
  return r * k;
}

double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

VECTOR3 cross(const VECTOR3& a, const VECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(const VECTOR3& a) { return std::sqrt(dot(a, a)); }

bool isFinite(const VECTOR3& a) {
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

}  // namespace halcyra
