// A vessel's step: its thrust, the Runge-Kutta step of host/rigid_body_step.h
// (in sub-steps for a fast spinner), the propellant kept non-negative and the
// burn booked. World::step integrates vessels kWide at a time where it can
// (host/wide_step.h).
#include "host/dynamics.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/frames.h"
#include "host/rigid_body_step.h"
#include "host/wide_step.h"

namespace halcyra {

namespace {

// The thrust at the vessel's levels, summed again only when they changed.
const ThrustSum& currentThrust(Vessel& v) {
  ThrustCache& cache = v.thrust;
  const bool fuelled = v.propellant > 0.0;
  // Compared bit for bit: a level that compares equal but differs in its bits
  // (a zero's sign) only sums the thrust again, to the same result.
  if (!cache.valid || cache.fuelled != fuelled ||
      std::memcmp(cache.levels.data(), v.groupLevel.data(), sizeof cache.levels) != 0) {
    cache.sum = thrustSum(v);
    cache.levels = v.groupLevel;
    cache.fuelled = fuelled;
    cache.valid = true;
  }
  return cache.sum;
}

}  // namespace

VECTOR3 gravityAcceleration(const VECTOR3& position, const std::vector<Body>& bodies) {
  VECTOR3 a{};
  for (const Body& b : bodies) {
    const VECTOR3 d = b.position - position;
    const double r2 = dot(d, d);
    if (r2 == 0.0) continue;  // no direction to pull in at the centre
    const double r = std::sqrt(r2);
    a = a + d * (b.mu / (r2 * r));
  }
  return a;
}

ThrustSum thrustSum(const Vessel& v) {
  ThrustSum sum;
  if (!(v.propellant > 0.0)) return sum;
  for (const Thruster& t : v.thrusters) {
    const double level = v.groupLevel[static_cast<size_t>(t.group)];
    if (!(level > 0.0)) continue;
    const double thrust = level * t.max;  // [N]
    const VECTOR3 f = t.direction * thrust;
    sum.forceLocal = sum.forceLocal + f;
    sum.torqueLocal = sum.torqueLocal + cross(t.position, f);
    sum.massFlow += thrust / t.exhaustSpeed;
    sum.thrust += thrust;
    sum.groupMassFlow[static_cast<size_t>(t.group)] += thrust / t.exhaustSpeed;
  }
  return sum;
}

namespace {

// True when every value is finite: no value has all its exponent bits set
// (an infinity or a NaN). Tested on the bits, which the compiler vectorises.
bool finite(const BodyState<double>& s) {
  constexpr uint64_t kExponent = 0x7ff0000000000000u;
  uint64_t bad = 0;
  for (int i = 0; i < kSize; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &s.v[i], sizeof bits);
    bad |= uint64_t((bits & kExponent) == kExponent);
  }
  return bad == 0;
}

}  // namespace

int subSteps(const VECTOR3& angVel, double dt) {
  const double turn = std::sqrt(dot(angVel, angVel)) * dt;  // [rad] turned in one step
  if (!(turn > kMaxTurnPerSubStep)) return 1;
  return int(std::fmin(std::ceil(turn / kMaxTurnPerSubStep), double(kMaxSubSteps)));
}

namespace {

// The vessel's flat state (offsets in host/rigid_body_step.h) to out[v * kStride].
template <size_t kStride>
void readState(const Vessel& v, double* out) {
  auto put = [&](int at, double x) { out[size_t(at) * kStride] = x; };
  put(kPos, v.position.x);
  put(kPos + 1, v.position.y);
  put(kPos + 2, v.position.z);
  put(kVel, v.velocity.x);
  put(kVel + 1, v.velocity.y);
  put(kVel + 2, v.velocity.z);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) put(kRot + 3 * i + j, v.rotation.m[i][j]);
  put(kOmega, v.angVel.x * -1.0);
  put(kOmega + 1, v.angVel.y * -1.0);
  put(kOmega + 2, v.angVel.z * -1.0);
  put(kProp, v.propellant);
  put(kSize - 1, 0.0);
}

// The state that the vessel reached, from in[v * kStride], back into the
// vessel, its propellant kept non-negative.
template <size_t kStride>
void writeState(Vessel& v, const double* in) {
  auto get = [&](int at) { return in[size_t(at) * kStride]; };
  v.position = {get(kPos), get(kPos + 1), get(kPos + 2)};
  v.velocity = {get(kVel), get(kVel + 1), get(kVel + 2)};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) v.rotation.m[i][j] = get(kRot + 3 * i + j);
  v.angVel = {get(kOmega) * -1.0, get(kOmega + 1) * -1.0, get(kOmega + 2) * -1.0};
  v.propellant = positivePart(get(kProp));  // what fmax(x, 0) gives, without a call
}

// A vessel made ready for its step: the thrust at its levels and the state it
// starts from.
struct Prepared {
  Vessel* vessel;
  const ThrustSum* thrust;
  BodyState<double> s0;
  int subSteps;
};

Prepared prepare(Vessel& v, double dt) {
  Prepared p{&v, &currentThrust(v), {}, subSteps(v.angVel, dt)};
  readState<1>(v, p.s0.v);
  return p;
}

// Stores the state s that p's vessel reached and books the burn. Returns
// false when s is not finite.
bool finish(const Prepared& p, const BodyState<double>& s) {
  writeState<1>(*p.vessel, s.v);
  recordBurn(*p.vessel, *p.thrust, p.s0.v[kProp]);
  return finite(s);
}

// The vessel's step alone. The integration of the rotation is only accurate,
// and only stable against the gyroscopic term of Euler's equations, while the
// vessel turns through a small angle per step: a fast spinner is integrated in
// shorter steps. A state that is not finite is not advanced.
bool advanceAlone(const Prepared& p, const std::vector<Body>& bodies, double dt) {
  const Vessel& v = *p.vessel;
  const ThrustSum& t = *p.thrust;
  const BodyModel<double, Body> model{
      bodies.data(),   bodies.size(),   v.dryMass,      v.pmi.x,        v.pmi.y,
      v.pmi.z,         t.forceLocal.x,  t.forceLocal.y, t.forceLocal.z, t.torqueLocal.x,
      t.torqueLocal.y, t.torqueLocal.z, t.massFlow};
  BodyState<double> s = p.s0;
  const int n = p.subSteps;
  for (int i = 0; i < n && finite(s); ++i) rungeKuttaStep(model, s, n == 1 ? dt : dt / n);
  return finish(p, s);
}

// Up to kWide vessels, each taking one whole step from a finite state, gathered
// lane by lane to step together.
class WideGroup {
 public:
  // The bodies twice: as the world has them, for a vessel that steps alone
  // after all, and as the wide step reads them.
  WideGroup(const std::vector<Body>& bodies, const std::vector<PointMass>& pointMasses)
      : bodies_(bodies) {
    model_.bodies = pointMasses.data();
    model_.bodyCount = pointMasses.size();
  }

  // Takes the vessel (index in the world's order) into the next lane when its
  // step is one whole step, and tells whether it did.
  bool add(Vessel& v, size_t index, double dt) {
    const int i = count_;
    if (subSteps(v.angVel, dt) != 1) return false;
    readState<kWide>(v, &state_.s[0][i]);
    const ThrustSum& t = currentThrust(v);
    model_.dryMass[i] = v.dryMass;
    model_.pmiX[i] = v.pmi.x;
    model_.pmiY[i] = v.pmi.y;
    model_.pmiZ[i] = v.pmi.z;
    model_.forceX[i] = t.forceLocal.x;
    model_.forceY[i] = t.forceLocal.y;
    model_.forceZ[i] = t.forceLocal.z;
    model_.torqueX[i] = t.torqueLocal.x;
    model_.torqueY[i] = t.torqueLocal.y;
    model_.torqueZ[i] = t.torqueLocal.z;
    model_.massFlow[i] = t.massFlow;
    lanes_[i] = {&v, &t, v.propellant, index};
    ++count_;
    return true;
  }

  bool full() const { return count_ == kWide; }

  // Steps the vessels gathered and calls done(index, finite after) for each.
  // One vessel alone steps on its own, as cheaply.
  template <class Done>
  void step(double dt, Done done) {
    if (count_ == 1) {
      const Lane& lane = lanes_[0];
      done(lane.index, advanceAlone(prepare(*lane.vessel, dt), bodies_, dt));
    } else if (count_ > 1) {
      // Lanes without a vessel repeat the first; their results are dropped.
      for (int i = count_; i < kWide; ++i) {
        for (double* field :
             {model_.dryMass, model_.pmiX, model_.pmiY, model_.pmiZ, model_.forceX, model_.forceY,
              model_.forceZ, model_.torqueX, model_.torqueY, model_.torqueZ, model_.massFlow})
          field[i] = field[0];
        for (int k = 0; k < kSize; ++k) state_.s[k][i] = state_.s[k][0];
      }
      // A state that is not finite is not advanced: such a vessel takes the
      // path that does not advance it.
      const NonFiniteLanes bad = wideStep()(model_, state_, dt);
      for (int i = 0; i < count_; ++i) {
        const Lane& lane = lanes_[i];
        if (bad.before & (1u << i)) {
          done(lane.index, advanceAlone(prepare(*lane.vessel, dt), bodies_, dt));
          continue;
        }
        writeState<kWide>(*lane.vessel, &state_.s[0][i]);
        recordBurn(*lane.vessel, *lane.thrust, lane.propellantBefore);
        done(lane.index, !(bad.after & (1u << i)));
      }
    }
    count_ = 0;
  }

 private:
  struct Lane {
    Vessel* vessel;
    const ThrustSum* thrust;
    double propellantBefore;  // [kg]
    size_t index;             // in the world's order
  };
  const std::vector<Body>& bodies_;
  WideModel model_;
  WideState state_;
  Lane lanes_[kWide];
  int count_ = 0;
};

}  // namespace

WideStep wideStep() {
#if defined(HALCYRA_AVX2)
  static const WideStep best = __builtin_cpu_supports("avx2") ? wideStepAvx2 : wideStepSse2;
  return best;
#else
  return wideStepSse2;
#endif
}

bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt) {
  if (!(dt > 0.0) || !std::isfinite(dt)) return true;
  return advanceAlone(prepare(v, dt), bodies, dt);
}

void recordBurn(Vessel& v, const ThrustSum& thrust, double propellantBefore) {
  const double burnt = propellantBefore - v.propellant;  // [kg]
  if (!(burnt > 0.0) || !(thrust.massFlow > 0.0)) return;
  for (size_t g = 0; g < v.propellantBurnt.size(); ++g) {
    if (thrust.groupMassFlow[g] == 0.0) continue;  // its share is 0: nothing to add
    v.propellantBurnt[g] += burnt * thrust.groupMassFlow[g] / thrust.massFlow;
  }
  const double exhaustSpeed = thrust.thrust / thrust.massFlow;  // [m/s]
  v.rocketDeltaV +=
      exhaustSpeed * std::log((v.dryMass + propellantBefore) / (v.dryMass + v.propellant));
}

ObjectId World::step(double dt) {
  // The first vessel, in the world's order, whose state stopped being finite.
  size_t broken = vessels_.size();
  auto advanced = [&](size_t index, bool finiteAfter) {
    Vessel& v = *vessels_[index];
    if (!finiteAfter && index < broken) broken = index;
    vesselById_[v.id].position = v.position;
    v.refBody = referenceBody(v);
  };
  if (!(dt > 0.0) || !std::isfinite(dt)) {
    for (size_t i = 0; i < vessels_.size(); ++i) advanced(i, true);
    return 0;
  }
  pointMasses_.clear();
  for (const Body& b : bodies_) pointMasses_.push_back(PointMass{b.position, b.mu});
  // Vessels taking one whole step from a finite state step in groups of
  // kWide; the others step alone.
  WideGroup group(bodies_, pointMasses_);
  const bool grouping = vessels_.size() > 1;
  for (size_t i = 0; i < vessels_.size(); ++i) {
    Vessel& v = *vessels_[i];
    if (!grouping || !group.add(v, i, dt)) {
      advanced(i, advanceAlone(prepare(v, dt), bodies_, dt));
    } else if (group.full()) {
      group.step(dt, advanced);
    }
  }
  group.step(dt, advanced);
  return broken < vessels_.size() ? vessels_[broken]->id : 0;
}

}  // namespace halcyra
