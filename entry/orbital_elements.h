// Classical two-body elements of the focus vessel's present orbit about its
// reference body (the osculating conic; no epoch). The reference plane's pole
// is the z axis of the status axes, K = (0, 0, 1).
#pragma once

#include "hostapi/host_api.h"

struct OrbitalElements {
  int bodyIndex;         // the reference body's record in gravBodies
  double energy;         // specific orbital energy v^2/2 - mu/r [m^2/s^2]
  VECTOR3 position;      // relative to the body, status axes [m]
  VECTOR3 velocity;      // relative to the body, status axes [m/s]
  VECTOR3 angMomentum;   // h = r x v [m^2/s]
  VECTOR3 nodeVector;    // n = K x h [m^2/s]
  VECTOR3 eccVector;     // points to periapsis, length e
  double r;              // |position| [m]
  double v;              // |velocity| [m/s]
  double h;              // |angMomentum| [m^2/s]
  double n;              // |nodeVector| [m^2/s]
  double e;              // eccentricity
  double p;              // semi-latus rectum [m]
  double a;              // semi-major axis [m], negative for an open orbit
  double inclination;    // [rad], 0..pi
  double ascendingNode;  // longitude of the ascending node [rad], 0..2pi
  double argPeriapsis;   // argument of periapsis [rad], 0..2pi
  double trueAnomaly;    // [rad], 0..2pi
};

// Fills the record from the focus vessel's status. For a reference body the
// catalogue does not know, writes only bodyIndex and posts
// "UpdateElements(): Unknown grav body" to the host's debug line.
void UpdateElements(OrbitalElements& elements);

// The arithmetic of UpdateElements on a given state: every field but bodyIndex.
// No threshold guards circular, equatorial or parabolic orbits (0/0 or
// infinite values come out as they are); the cosines of the angles are held
// to [-1, 1], which rounding overshoots at an apsis or in the reference plane.
void computeElements(const VECTOR3& position, const VECTOR3& velocity, double mu,
                     OrbitalElements& elements);

// Writes message into the host's debug line (format "%s", cut to its 256 characters).
void postDebugMessage(const char* message);
