#include "geometry/vector_math.h"

#include <cmath>

namespace {

RotationMatrix rotationX(double cosA, double sinA) {
  return {{{1.0, 0.0, 0.0}, {0.0, cosA, sinA}, {0.0, -sinA, cosA}}};
}

RotationMatrix rotationY(double cosB, double sinB) {
  return {{{cosB, 0.0, -sinB}, {0.0, 1.0, 0.0}, {sinB, 0.0, cosB}}};
}

RotationMatrix rotationZ(double cosG, double sinG) {
  return {{{cosG, sinG, 0.0}, {-sinG, cosG, 0.0}, {0.0, 0.0, 1.0}}};
}

}  // namespace

VECTOR3 crossProduct(const VECTOR3& a, const VECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double vectorLength(const VECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

VECTOR3 unitVector(const VECTOR3& v) {
  const double k = 1.0 / vectorLength(v);
  return {k * v.x, k * v.y, k * v.z};
}

RotationMatrix orientationMatrix(const VECTOR3& angles) {
  const RotationMatrix rx = rotationX(std::cos(angles.x), std::sin(angles.x));
  const RotationMatrix ry = rotationY(std::cos(angles.y), std::sin(angles.y));
  const RotationMatrix rz = rotationZ(std::cos(angles.z), std::sin(angles.z));
  return rx * (ry * rz);
}

RotationMatrix transpose(const RotationMatrix& r) {
  RotationMatrix t;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) t.m[i][j] = r.m[j][i];
  }
  return t;
}

VECTOR3 operator*(const RotationMatrix& r, const VECTOR3& v) {
  return {r.m[0][0] * v.x + r.m[0][1] * v.y + r.m[0][2] * v.z,
          r.m[1][0] * v.x + r.m[1][1] * v.y + r.m[1][2] * v.z,
          r.m[2][0] * v.x + r.m[2][1] * v.y + r.m[2][2] * v.z};
}

RotationMatrix operator*(const RotationMatrix& a, const RotationMatrix& b) {
  RotationMatrix p;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      p.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    }
  }
  return p;
}

VECTOR3 rotateByAngles(const VECTOR3& v, const VECTOR3& angles) {
  const double cosA = std::cos(angles.x), sinA = std::sin(angles.x);
  const double cosB = std::cos(angles.y), sinB = std::sin(angles.y);
  const double cosG = std::cos(angles.z), sinG = std::sin(angles.z);
  // The third angle acts first: each step is a full 3x3 product.
  const VECTOR3 t = rotationZ(cosG, sinG) * v;
  const VECTOR3 u = rotationY(cosB, sinB) * t;
  return rotationX(cosA, sinA) * u;
}

VECTOR3 frameAngles(const VECTOR3& zAxis, const VECTOR3& xAxis) {
  const VECTOR3 a = unitVector(zAxis);
  const VECTOR3 b = unitVector(xAxis);
  const VECTOR3 n = unitVector(crossProduct(a, b));  // the frame's y axis
  return {std::atan2(a.y, a.z), -std::asin(a.x), std::atan2(n.x, b.x)};
}

VECTOR3 relativeAngles(const VECTOR3& zDir, const VECTOR3& xDir) {
  const VECTOR3 a = unitVector(zDir);
  const VECTOR3 b = unitVector(xDir);
  const VECTOR3 n = unitVector(crossProduct(a, b));  // F's y axis in vessel coordinates
  return {std::atan2(n.z, a.z), -std::asin(b.z), std::atan2(b.y, b.x)};
}
