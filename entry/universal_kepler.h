// A step along a bound or open two-body conic in the universal variable chi
// (Curtis, Orbital Mechanics for Engineering Students, chapter 3, universal
// variables): its time of flight and the state at its end, both in closed form.
// The caller chooses chi; nothing here iterates. On an ellipse chi = dE / sqrt(alpha),
// dE the change of the eccentric anomaly.
#pragma once

#include "hostapi/host_api.h"

// Stumpff functions C(z) and S(z), z = alpha * chi^2: positive on an ellipse,
// negative on a hyperbola. Their power series near zero, where the closed forms
// (1 - cos sqrt z) / z and (sqrt z - sin sqrt z) / sqrt(z^3) lose their digits.
double stumpffC(double z);
double stumpffS(double z);

// Time of flight [s] over the universal anomaly chi [m^0.5] from (r0 [m], v0 [m/s])
// on the conic with alpha = 1/a [1/m] about a body of parameter mu [m^3/s^2]
// (the universal Kepler equation). Negative for a negative chi.
double timeOfFlight(const VECTOR3& r0, const VECTOR3& v0, double alpha, double mu, double chi);

// State (r [m], v [m/s]) at the end of the same step, by the Lagrange coefficients
// f, g, fdot, gdot. rEnd is the radius there [m], which the caller knows.
void propagateConic(const VECTOR3& r0, const VECTOR3& v0, double alpha, double mu, double chi,
                    double rEnd, VECTOR3& r, VECTOR3& v);
