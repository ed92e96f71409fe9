// A state on which the entry prediction's Newton iteration never meets its
// tolerance. Such states are rare, and which ones they are is decided by the
// last bits of the maths library's results: the state found with glibc
// converges with the Windows build's maths. So the state is searched among its
// neighbours, one unit in the last place of the velocity apart, and the first
// that fails to converge is taken.
#pragma once

#include <cmath>
#include <optional>

#include "entry/entry_prediction_core.h"

namespace gyrelle_test {

struct OrbitState {
  VECTOR3 pos;  // from the body's centre [m]
  VECTOR3 vel;  // [m/s]
};

// Newton steps the prediction's propagation takes for a state, from the first
// guess s dt / a that the propagation uses; -1 when it did not converge.
inline int newtonSteps(const OrbitState& state, double mu, double eiRadius) {
  EntryPrediction p{};
  predictEntryFromState(state.pos, state.vel, mu, eiRadius, p);
  OrbitalElements el{};
  computeElements(state.pos, state.vel, mu, el);
  const double s = std::sqrt(mu);
  double chi = s * p.timeToGo / el.a;
  double z = chi * chi / el.a;
  return solveUniversalAnomalyCounted(el.position, el.velocity, el.a, p.timeToGo, s, chi, z);
}

// Nearly radial, falling from 23,192 km at 130.6 m/s.
inline std::optional<OrbitState> nonConvergingOrbit(double mu, double eiRadius) {
  constexpr int kNeighbours = 20000;
  OrbitState state{{23191540.109274104, 0, 0}, {-130.63943582948303, 24.227290712110385, 0}};
  for (int i = 0; i < kNeighbours; ++i) {
    if (newtonSteps(state, mu, eiRadius) == -1) return state;
    state.vel.x = std::nextafter(state.vel.x, 0.0);
  }
  return std::nullopt;
}

}  // namespace gyrelle_test
