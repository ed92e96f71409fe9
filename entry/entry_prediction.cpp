#include "entry/entry_prediction.h"

#include <algorithm>
#include <cmath>

#include "entry/entry_prediction_core.h"
#include "entry/grav_bodies.h"
#include "entry/orbital_elements.h"
#include "geometry/angle_units.h"
#include "geometry/vector_math.h"

namespace {

constexpr double kKeplerTolerance = 0.0001;  // residual of the time of flight [s]
// From the first guess s dt / a the iteration can wander on a highly
// eccentric orbit before it converges: over random valid predictions some
// need more than 10, 50 or 200 steps, none more than 400. A case that meets
// the tolerance sooner stops there, so the bound changes nothing for it.
constexpr double kMaxNewtonSteps = 500.0;  // counted in a double from 0.0

double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// acos of a cosine that rounding may carry just past +-1 (at nu = 0 or pi).
double clampedAcos(double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }

// Time of flight [s] to universal anomaly chi on the conic through r0 (the
// universal Kepler equation), with C and S taken at z.
double timeOfFlight(double chi, double z, double r0, double sigma0, double alpha, double sqrtMu) {
  const double chiSq = chi * chi;
  const double chiCube = chiSq * chi;
  return (sigma0 * chiSq * stumpffC(z) + (1.0 - alpha * r0) * chiCube * stumpffS(z) + r0 * chi) /
         sqrtMu;
}

}  // namespace

// Stumpff functions C(z) and S(z) of the universal-variable Kepler equation
// (Curtis, Orbital Mechanics for Engineering Students, chapter 3, universal
// variables). z = alpha * chi^2: positive on an ellipse, negative on a hyperbola.
double stumpffC(double z) {
  if (z > 0.0) return (1.0 - std::cos(std::sqrt(z))) / z;
  if (z < 0.0) return (1.0 - std::cosh(std::sqrt(-z))) / z;
  return 0.5;
}

double stumpffS(double z) {
  if (z > 0.0) {
    const double rootZ = std::sqrt(z);
    return (rootZ - std::sin(rootZ)) / std::sqrt(z * z * z);
  }
  if (z < 0.0) {
    const double rootMinusZ = std::sqrt(-z);
    return (std::sinh(rootMinusZ) - rootMinusZ) / std::sqrt(-z * -z * -z);
  }
  return 1.0 / 6.0;
}

double eccentricAnomaly(double nu, double e) {
  const double cosE = (e + std::cos(nu)) / (1.0 + e * std::cos(nu));
  // acos gives 0..pi; the second half of the orbit mirrors it.
  if (nu > kPi) return kTwoPi - clampedAcos(cosE);
  return clampedAcos(cosE);
}

int solveUniversalAnomalyCounted(const VECTOR3& r0, const VECTOR3& v0, double a, double dt,
                                 double sqrtMu, double& chi, double& z) {
  const double r0Length = vectorLength(r0);
  const double alpha = 1.0 / a;  // [1/m]
  const double sigma0 = dot(r0, v0) / sqrtMu;
  double count = 0.0;
  double residual = dt - timeOfFlight(chi, z, r0Length, sigma0, alpha, sqrtMu);
  while (true) {
    if (std::fabs(residual) <= kKeplerTolerance) break;
    if (count >= kMaxNewtonSteps) return -1;  // NaN ends here too
    count += 1.0;
    // d(time of flight)/d(chi) = radius at chi / sqrt(mu).
    const double radius = chi * chi * stumpffC(z) + sigma0 * chi * (1.0 - z * stumpffS(z)) +
                          r0Length * (1.0 - z * stumpffC(z));  // [m]
    chi = chi + residual / (radius / sqrtMu);
    z = alpha * chi * chi;
    residual = dt - timeOfFlight(chi, z, r0Length, sigma0, alpha, sqrtMu);
  }
  return static_cast<int>(count);
}

bool solveUniversalAnomaly(const VECTOR3& r0, const VECTOR3& v0, double a, double dt, double sqrtMu,
                           double& chi, double& z) {
  return solveUniversalAnomalyCounted(r0, v0, a, dt, sqrtMu, chi, z) >= 0;
}

// Universal variables with Lagrange coefficients f, g, fdot, gdot (Curtis, ch. 3).
bool propagateConic(const VECTOR3& r0, const VECTOR3& v0, double a, double mu, double dt,
                    VECTOR3& r, VECTOR3& v) {
  const double s = std::sqrt(mu);
  double chi = s * dt / a;  // first guess for an ellipse [m^0.5]
  double z = chi * chi / a;
  const bool converged = solveUniversalAnomaly(r0, v0, a, dt, s, chi, z);

  const double c = stumpffC(z);
  const double sz = stumpffS(z);
  const double r0Length = vectorLength(r0);
  const double f = 1.0 - (chi * chi / r0Length) * c;
  const double g = dt - chi * chi * chi * sz / s;
  r = {f * r0.x + g * v0.x, f * r0.y + g * v0.y, f * r0.z + g * v0.z};
  const double rLength = vectorLength(r);
  const double fDot = (s / (r0Length * rLength)) * (z * sz - 1.0) * chi;
  const double gDot = 1.0 - (chi * chi / rLength) * c;
  v = {fDot * r0.x + gDot * v0.x, fDot * r0.y + gDot * v0.y, fDot * r0.z + gDot * v0.z};
  return converged;
}

bool entryAngleAtInterface(const VECTOR3& position, const VECTOR3& velocity, double mu,
                           double eiRadius, EntryPrediction& prediction) {
  const double r = vectorLength(position);
  const double h = vectorLength(crossProduct(position, velocity));
  const double speed = vectorLength(velocity);
  const double speedSq = speed * speed;
  // Speed squared at the interface radius by conservation of energy [m^2/s^2].
  const double w = speedSq - 2.0 * mu / r + 2.0 * mu / eiRadius;
  if (w < 0.0) return false;
  // Cosine of the flight-path angle there; |c| >= 1 means the conic never
  // crosses the radius (periapsis at or above it, or apoapsis at or below it).
  const double c = h / (eiRadius * std::sqrt(w));
  if (!(c < 1.0)) return false;
  if (c <= -1.0) return false;
  prediction.entryAngle = std::acos(c);
  return true;
}

void entryCrossingFromElements(const OrbitalElements& el, double mu, double eiRadius,
                               EntryPrediction& prediction) {
  // Only a closed ellipse has an eccentric anomaly and a period; a radial
  // orbit (h = 0) has no true anomaly of the crossing. NaN fails both tests.
  if (!(el.e < 1.0) || !(el.h > 0.0)) return;

  // True anomaly of the crossing on the way out; the entry mirrors it.
  const double nuExit = clampedAcos((el.p - eiRadius) / (el.e * eiRadius));
  const double nuEntry = kTwoPi - nuExit;
  const double eccEntry = eccentricAnomaly(nuEntry, el.e);
  const double eccNow = eccentricAnomaly(el.trueAnomaly, el.e);
  const double meanEntry = eccEntry - el.e * std::sin(eccEntry);
  const double meanNow = eccNow - el.e * std::sin(eccNow);
  prediction.timeToGo = std::sqrt(el.a * el.a * el.a / mu) * (meanEntry - meanNow);
  // Behind the vessel on this revolution: later revolutions are not considered.
  if (!(prediction.timeToGo >= 0.0)) return;

  // A state from an iteration that never met its tolerance may lie anywhere
  // on the orbit: no prediction rather than a wrong one.
  if (!propagateConic(el.position, el.velocity, el.a, mu, prediction.timeToGo,
                      prediction.eiPosition, prediction.eiVelocity)) {
    return;
  }
  prediction.valid = true;
}

void predictEntryFromState(const VECTOR3& position, const VECTOR3& velocity, double mu,
                           double eiRadius, EntryPrediction& prediction) {
  prediction.valid = false;
  if (!(eiRadius > 0.0)) return;
  if (!entryAngleAtInterface(position, velocity, mu, eiRadius, prediction)) return;
  OrbitalElements elements{};
  computeElements(position, velocity, mu, elements);
  entryCrossingFromElements(elements, mu, eiRadius, prediction);
}

void predictEntryInterface(EntryPrediction& prediction) {
  prediction.valid = false;
  const VESSEL* focus = hapiGetFocusInterface();
  if (focus == nullptr) return;
  VESSELSTATUS status;
  focus->GetStatus(status);
  const GravBody& body = gravBodies[findGravBody(status.refBody)];
  // Bodies without an interface, and unknown ones (the all-zero record), end here.
  if (!(body.eiRadius > 0.0)) return;
  if (!entryAngleAtInterface(status.relPos, status.relVel, body.mu, body.eiRadius, prediction)) {
    return;
  }
  OrbitalElements elements{};
  UpdateElements(elements);
  entryCrossingFromElements(elements, body.mu, body.eiRadius, prediction);
}
