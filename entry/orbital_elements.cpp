#include "entry/orbital_elements.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "entry/grav_bodies.h"
#include "geometry/angle_units.h"
#include "geometry/vector_math.h"

namespace {
constexpr size_t kDebugStringSize = 256;  // the host's debug-line buffer [chars]

double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// acos of a quotient that rounding may carry just past +-1 (at an apsis, in
// the reference plane, on the node line): the angle there, 0 or pi, not NaN.
// A quotient 0/0 (circular or equatorial orbit) stays NaN.
double clampedAcos(double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }
}  // namespace

void postDebugMessage(const char* message) {
  std::snprintf(hapiDebugString(), kDebugStringSize, "%s", message);
}

void computeElements(const VECTOR3& position, const VECTOR3& velocity, double mu,
                     OrbitalElements& el) {
  el.position = position;
  el.r = vectorLength(position);
  el.velocity = velocity;
  el.v = vectorLength(velocity);
  el.angMomentum = crossProduct(position, velocity);
  el.h = vectorLength(el.angMomentum);
  el.nodeVector = crossProduct(VECTOR3{0.0, 0.0, 1.0}, el.angMomentum);
  el.n = vectorLength(el.nodeVector);

  // e = ((v^2 - mu/r) r - (r.v) v) / mu, the division taken as a product with 1/mu.
  const double radialFactor = el.v * el.v - mu / el.r;
  const double rDotV = dot(position, velocity);
  const double invMu = 1.0 / mu;
  el.eccVector = {(radialFactor * position.x - rDotV * velocity.x) * invMu,
                  (radialFactor * position.y - rDotV * velocity.y) * invMu,
                  (radialFactor * position.z - rDotV * velocity.z) * invMu};
  el.e = vectorLength(el.eccVector);

  el.energy = el.v * el.v / 2.0 - mu / el.r;
  el.p = el.h * el.h / mu;
  el.a = -mu / (2.0 * el.energy);
  el.inclination = clampedAcos(el.angMomentum.z / el.h);

  // A node vector with n_y exactly 0 counts as the lower half: Omega = 2pi, not 0.
  el.ascendingNode = clampedAcos(el.nodeVector.x / el.n);
  if (el.nodeVector.y <= 0.0) el.ascendingNode = kTwoPi - el.ascendingNode;

  el.argPeriapsis = clampedAcos(dot(el.nodeVector, el.eccVector) / (el.n * el.e));
  if (el.eccVector.z < 0.0) el.argPeriapsis = kTwoPi - el.argPeriapsis;

  // Approaching periapsis (r.v < 0) puts the vessel in the second half of the orbit.
  el.trueAnomaly = clampedAcos(dot(el.eccVector, position) / (el.e * el.r));
  if (rDotV < 0.0) el.trueAnomaly = kTwoPi - el.trueAnomaly;
}

void UpdateElements(OrbitalElements& elements) {
  // Without a focus vessel the body is unknown (a null handle has an empty name).
  VESSELSTATUS status{};
  if (const VESSEL* focus = hapiGetFocusInterface()) focus->GetStatus(status);
  elements.bodyIndex = findGravBody(status.refBody);
  if (elements.bodyIndex == kUnknownGravBody) {
    postDebugMessage("UpdateElements(): Unknown grav body");
    return;
  }
  computeElements(status.relPos, status.relVel, gravBodies[elements.bodyIndex].mu, elements);
}
