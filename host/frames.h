// The host's small value types: helpers for VECTOR3, the 3x3 rotation and
// the orientation convention of the status record.
//
// R = Rx(alpha) * Ry(beta) * Rz(gamma) maps vessel axes to global axes, with
//   Rx(a) = [1 0 0; 0 ca sa; 0 -sa ca], Ry(b) = [cb 0 -sb; 0 1 0; sb 0 cb],
//   Rz(g) = [cg sg 0; -sg cg 0; 0 0 1].
// The status angles come back as beta = -asin(R[0][2]),
// gamma = atan2(R[0][1], R[0][0]), alpha = atan2(R[1][2], R[2][2]).
#pragma once

#include "hostapi/host_api.h"

namespace halcyra {

struct Matrix3 {
  double m[3][3];  // row-major
};

Matrix3 orientationMatrix(const VECTOR3& angles);  // (alpha, beta, gamma) [rad]
VECTOR3 orientationAngles(const Matrix3& r);       // [rad]

double length(const VECTOR3& a);
bool isFinite(const VECTOR3& a);
bool isFinite(const Matrix3& a);

// The small operations are defined here so that the dynamics, which run them
// at every step of every vessel, get them inlined. Each sums its terms left
// to right, in the order written.
inline double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline VECTOR3 cross(const VECTOR3& a, const VECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Component by component.
inline VECTOR3 multiplyEach(const VECTOR3& a, const VECTOR3& b) {
  return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline VECTOR3 divideEach(const VECTOR3& a, const VECTOR3& b) {
  return {a.x / b.x, a.y / b.y, a.z / b.z};
}

inline Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
  Matrix3 c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      c.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
  return c;
}

inline VECTOR3 operator*(const Matrix3& a, const VECTOR3& v) {
  return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
          a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
          a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

inline Matrix3 operator+(const Matrix3& a, const Matrix3& b) {
  Matrix3 c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c.m[i][j] = a.m[i][j] + b.m[i][j];
  return c;
}

inline Matrix3 operator*(const Matrix3& a, double k) {
  Matrix3 c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c.m[i][j] = a.m[i][j] * k;
  return c;
}

inline Matrix3 transpose(const Matrix3& a) {
  Matrix3 t{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.m[i][j] = a.m[j][i];
  return t;
}

// [w]x, the matrix of v -> w x v.
inline Matrix3 crossMatrix(const VECTOR3& w) {
  return Matrix3{{{0.0, -w.z, w.y}, {w.z, 0.0, -w.x}, {-w.y, w.x, 0.0}}};
}

// The nearest rotation to a matrix that has drifted slightly from one (one
// Newton step of the polar decomposition: R (3I - R^T R) / 2).
inline Matrix3 reorthonormalise(const Matrix3& r) {
  const Matrix3 rtr = transpose(r) * r;
  Matrix3 k{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) k.m[i][j] = ((i == j ? 3.0 : 0.0) - rtr.m[i][j]) * 0.5;
  return r * k;
}

}  // namespace halcyra
