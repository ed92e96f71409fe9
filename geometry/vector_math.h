// Vector and rotation toolkit of the attitude geometry.
//
// Orientation angles (alpha, beta, gamma), held in a VECTOR3's (x, y, z),
// describe R = Rx(alpha) * Ry(beta) * Rz(gamma) with
//   Rx(a) = [1 0 0; 0 ca sa; 0 -sa ca], Ry(b) = [cb 0 -sb; 0 1 0; sb 0 cb],
//   Rz(g) = [cg sg 0; -sg cg 0; 0 0 1]           (rows separated by ';').
// R maps coordinates in the oriented frame to the parent frame (for a vessel's
// status angles: vessel axes to global axes); its columns are the frame's x, y
// and z axes in parent coordinates. Where a triple is an attitude relative to a
// frame it reads (pitch about x, yaw about y, roll about z).
// Vessel axes: +x lateral, +y vertical, +z forward (the nose).
//
// No operation checks its arguments: a zero vector or parallel axes give NaN
// components and angles, and asin arguments are not clamped.
#pragma once

#include "hostapi/host_api.h"

// 3x3 doubles, row-major: m[i][j] is row i, column j.
struct RotationMatrix {
  double m[3][3];
};

VECTOR3 crossProduct(const VECTOR3& a, const VECTOR3& b);
double vectorLength(const VECTOR3& v);
// v scaled to length 1; NaN components for the zero vector.
VECTOR3 unitVector(const VECTOR3& v);

// Rx(alpha) * Ry(beta) * Rz(gamma) for angles = (alpha, beta, gamma) [rad].
RotationMatrix orientationMatrix(const VECTOR3& angles);
RotationMatrix transpose(const RotationMatrix& r);
// Component i = m[i][0]*x + m[i][1]*y + m[i][2]*z, summed in that order.
VECTOR3 operator*(const RotationMatrix& r, const VECTOR3& v);
RotationMatrix operator*(const RotationMatrix& a, const RotationMatrix& b);

// v given in a frame's own axes, expressed in parent axes: Rx(alpha)*(Ry(beta)*(Rz(gamma)*v)).
VECTOR3 rotateByAngles(const VECTOR3& v, const VECTOR3& angles);

// Orientation angles (alpha, beta, gamma) [rad] of a frame whose z and x axes
// are given in parent coordinates; inverts rotateByAngles for orthogonal axes.
VECTOR3 frameAngles(const VECTOR3& zAxis, const VECTOR3& xAxis);

// Attitude (pitch, yaw, roll) [rad] of the vessel relative to a frame F whose
// z and x axes are given in vessel coordinates: the vessel's own orientation
// angles expressed in F; (0, 0, 0) when F is the vessel frame.
VECTOR3 relativeAngles(const VECTOR3& zDir, const VECTOR3& xDir);
