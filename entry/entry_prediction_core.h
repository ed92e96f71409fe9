// The arithmetic of the entry-interface prediction on a plain state, apart
// from the host reads of predictEntryInterface (entry/entry_prediction.h).
#pragma once

#include "entry/entry_prediction.h"
#include "entry/orbital_elements.h"

// Steps that need only energy and angular momentum: whether the conic through
// (position [m], velocity [m/s]) about a body of parameter mu [m^3/s^2]
// reaches the interface radius eiRadius [m] at a real, non-grazing angle.
// Stores entryAngle [rad] and returns true when it does.
bool entryAngleAtInterface(const VECTOR3& position, const VECTOR3& velocity, double mu,
                           double eiRadius, EntryPrediction& prediction);

// Steps on the elements: time to the descending crossing of eiRadius [m] and
// the state there. Stores timeToGo when the orbit is bound (energy below zero);
// sets valid when the crossing lies ahead on this revolution. Expects valid
// already false, and the crossing found by entryAngleAtInterface.
void entryCrossingFromElements(const OrbitalElements& elements, double mu, double eiRadius,
                               EntryPrediction& prediction);

// The whole prediction for a given state relative to the body (elements from computeElements).
void predictEntryFromState(const VECTOR3& position, const VECTOR3& velocity, double mu,
                           double eiRadius, EntryPrediction& prediction);
