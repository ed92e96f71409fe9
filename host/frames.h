// Orientation matrices of the host's status convention and the small vector
// algebra the world and the dynamics share.
//
// R = Rx(alpha) * Ry(beta) * Rz(gamma) maps vessel axes to global axes, with
//   Rx(a) = [1 0 0; 0 ca sa; 0 -sa ca], Ry(b) = [cb 0 -sb; 0 1 0; sb 0 cb],
//   Rz(g) = [cg sg 0; -sg cg 0; 0 0 1].
// The status angles come back as beta = -asin(R[0][2]),
// gamma = atan2(R[0][1], R[0][0]), alpha = atan2(R[1][2], R[2][2]).
#pragma once

#include "host/world.h"

namespace halcyra {

Matrix3 orientationMatrix(const VECTOR3& angles);  // (alpha, beta, gamma) [rad]
VECTOR3 orientationAngles(const Matrix3& r);       // [rad]

Matrix3 identity3();
Matrix3 operator*(const Matrix3& a, const Matrix3& b);
VECTOR3 operator*(const Matrix3& a, const VECTOR3& v);
Matrix3 transpose(const Matrix3& a);
// The nearest rotation to a matrix that has drifted slightly from one (one
// Newton step of the polar decomposition: R (3I - R^T R) / 2).
Matrix3 reorthonormalise(const Matrix3& r);

double dot(const VECTOR3& a, const VECTOR3& b);
VECTOR3 cross(const VECTOR3& a, const VECTOR3& b);
double length(const VECTOR3& a);
bool isFinite(const VECTOR3& a);

}  // namespace halcyra
