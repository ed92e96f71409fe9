// The crossing in closed form, on the eccentric anomaly E of the ellipse:
// E now and E at the crossing from the state and the interface radius, the time
// between them by the universal Kepler equation (chi = dE sqrt(a)), and the state
// there by the Lagrange coefficients of the same step (entry/universal_kepler.h).
#include "entry/entry_prediction.h"

#include <algorithm>
#include <cmath>

#include "entry/entry_prediction_core.h"
#include "entry/grav_bodies.h"
#include "entry/orbital_elements.h"
#include "entry/universal_kepler.h"
#include "geometry/angle_units.h"
#include "geometry/vector_math.h"

namespace {

double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Eccentric anomaly [rad, 0..2pi) of the point with the given e sin E and
// e cos E. atan2 keeps its digits in every quadrant, where acos of cos E loses
// them near 0 and pi (periapsis and apoapsis, and both ends of a near-radial orbit).
double eccentricAnomaly(double eSinE, double eCosE) {
  const double angle = std::atan2(eSinE, eCosE);  // (-pi, pi]
  return angle < 0.0 ? angle + kTwoPi : angle;
}

}  // namespace

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
  // The sign of the energy tells a closed orbit from an open one; e < 1 does
  // not, as e rounds to 1 and above on a bound near-radial orbit. NaN ends here too.
  if (!(el.energy < 0.0)) return;
  const double alpha = -2.0 * el.energy / mu;          // 1/a [1/m]
  const double anomalyScale = std::sqrt(alpha / mu);   // e sin E per unit of r.v [s/m^2]
  const double rDotV = dot(el.position, el.velocity);  // [m^2/s]
  // From r = a (1 - e cos E) and r.v = sqrt(mu a) e sin E.
  const double eccNow = eccentricAnomaly(rDotV * anomalyScale, 1.0 - el.r * alpha);

  // Radial speed squared at the interface, by conservation of energy and of h
  // written from the present radial speed, so that it keeps its digits on
  // shallow crossings (near-circular orbits) as on steep ones (near-radial):
  // vr(R)^2 = vr^2 + (1/r - 1/R) (h^2 (1/r + 1/R) - 2 mu).
  const double radialSpeed = rDotV / el.r;                          // [m/s]
  const double inverseGap = (eiRadius - el.r) / (el.r * eiRadius);  // 1/r - 1/R [1/m]
  const double potentialTerm = el.h * el.h * (el.r + eiRadius) / (el.r * eiRadius) - 2.0 * mu;
  const double radialSpeedSqAtEi = radialSpeed * radialSpeed + inverseGap * potentialTerm;
  // The angle test has found a crossing; on a grazing one rounding may leave
  // the square a hair below zero: the crossing is then at the apsis.
  const double radialSpeedAtEi = std::sqrt(std::max(radialSpeedSqAtEi, 0.0));  // [m/s]
  // The crossing on the way out lies at E in [0, pi]; the entry mirrors it.
  const double eccExit =
      std::atan2(eiRadius * radialSpeedAtEi * anomalyScale, 1.0 - eiRadius * alpha);
  const double eccEntry = kTwoPi - eccExit;

  // Both anomalies are counted from this revolution's periapsis: an entry
  // below the present anomaly lies behind, its time negative, and no later
  // revolution is considered.
  const double chi = (eccEntry - eccNow) / std::sqrt(alpha);  // [m^0.5]
  prediction.timeToGo = timeOfFlight(el.position, el.velocity, alpha, mu, chi);
  if (!(prediction.timeToGo >= 0.0)) return;
  propagateConic(el.position, el.velocity, alpha, mu, chi, eiRadius, prediction.eiPosition,
                 prediction.eiVelocity);
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
