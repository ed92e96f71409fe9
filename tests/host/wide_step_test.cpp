// Vessels stepped side by side in vector registers get bit for bit what each
// gets stepped alone: the wide step's lanes against the scalar step on random
// and awkward states, and World::step against advanceVessel on every vessel.
#include "host/wide_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "host/dynamics.h"
#include "host/world.h"

namespace halcyra {
namespace {

constexpr double kStep = 0.02;  // [s]
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The same bits, or both NaN: which NaN an operation with two NaN operands
// passes on depends on the order the compiler gives the operands, in the
// scalar step as much as in the lanes.
bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Values drawn mostly from a plausible range, sometimes from the awkward ones
// that decide the sign of a zero, the masks and the propagation of a NaN.
class Draw {
 public:
  explicit Draw(unsigned seed) : rng_(seed) {}
  double operator()(double scale) {
    static constexpr double kAwkward[] = {0.0, -0.0, kNaN, -kNaN, kInf, -kInf, 1e300, -1e-300};
    if (std::uniform_int_distribution<int>(0, 19)(rng_) == 0)
      return kAwkward[std::uniform_int_distribution<size_t>(0, std::size(kAwkward) - 1)(rng_)];
    return plain(scale);
  }
  double plain(double scale) { return std::uniform_real_distribution<double>(-scale, scale)(rng_); }

 private:
  std::mt19937_64 rng_;
};

struct Lanes {
  WideModel model;
  WideState state;
};

Lanes randomLanes(Draw& draw, const PointMass* bodies, size_t bodyCount) {
  Lanes l;
  l.model.bodies = bodies;
  l.model.bodyCount = bodyCount;
  for (int i = 0; i < kWide; ++i) {
    l.model.dryMass[i] = 1000.0 + std::fabs(draw(1e4));
    for (double* f : {l.model.pmiX, l.model.pmiY, l.model.pmiZ}) f[i] = 1.0 + std::fabs(draw(10));
    for (double* f : {l.model.forceX, l.model.forceY, l.model.forceZ, l.model.torqueX,
                      l.model.torqueY, l.model.torqueZ})
      f[i] = draw(1e4);
    l.model.massFlow[i] = std::fabs(draw(5));
    for (int k = kPos; k < kPos + 3; ++k) l.state.s[k][i] = 6.7e6 + draw(1e6);
    for (int k = kVel; k < kVel + 3; ++k) l.state.s[k][i] = draw(8e3);
    for (int k = kRot; k < kRot + 9; ++k) l.state.s[k][i] = draw(1);
    for (int k = kOmega; k < kOmega + 3; ++k) l.state.s[k][i] = draw(0.5);
    l.state.s[kProp][i] = draw(100);  // below zero too: the mass ignores it
    l.state.s[kSize - 1][i] = 0.0;
  }
  return l;
}

// Lane i stepped alone on doubles.
BodyState<double> alone(const Lanes& l, int i, double dt) {
  const WideModel& m = l.model;
  const BodyModel<double, PointMass> one{
      m.bodies,    m.bodyCount, m.dryMass[i], m.pmiX[i],    m.pmiY[i],    m.pmiZ[i],    m.forceX[i],
      m.forceY[i], m.forceZ[i], m.torqueX[i], m.torqueY[i], m.torqueZ[i], m.massFlow[i]};
  BodyState<double> s;
  for (int k = 0; k < kSize; ++k) s.v[k] = l.state.s[k][i];
  rungeKuttaStep(one, s, dt);
  return s;
}

bool finiteState(const WideState& w, int i) {
  for (int k = 0; k < kSize; ++k)
    if (!std::isfinite(w.s[k][i])) return false;
  return true;
}

// Each form the library has, and the one wideStep() picks on this processor.
class EveryForm : public ::testing::TestWithParam<WideStep> {};

TEST_P(EveryForm, EachLaneIsTheScalarStepBitForBit) {
  // Two bodies; in some cases a vessel sits exactly at the first one's centre.
  const PointMass bodies[] = {{{0.0, 0.0, 0.0}, 3.986e14}, {{3.8e8, 1e7, -2e6}, 4.9e12}};
  Draw draw(20261207);
  for (int trial = 0; trial < 3000; ++trial) {
    Lanes l = randomLanes(draw, bodies, trial % 7 == 0 ? 1 : 2);
    if (trial % 11 == 0)
      for (int k = kPos; k < kPos + 3; ++k) l.state.s[k][trial % kWide] = 0.0;
    const Lanes before = l;
    const NonFiniteLanes bad = GetParam()(l.model, l.state, kStep);
    for (int i = 0; i < kWide; ++i) {
      const BodyState<double> expected = alone(before, i, kStep);
      for (int k = 0; k < kSize; ++k)
        ASSERT_TRUE(sameBits(l.state.s[k][i], expected.v[k]))
            << "trial " << trial << " lane " << i << " value " << k << ": " << l.state.s[k][i]
            << " against " << expected.v[k];
      EXPECT_EQ(bool(bad.before & (1u << i)), !finiteState(before.state, i)) << trial;
      EXPECT_EQ(bool(bad.after & (1u << i)), !finiteState(l.state, i)) << trial;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, EveryForm, ::testing::Values(&wideStepSse2, wideStep()));

// Vessels of every kind in one world: calm ones that step in groups (of four,
// a part group and a last one alone), fast spinners that are sub-stepped, one
// whose state is not finite, thrusters firing and tanks running dry.
void populate(World& w, int calm, Draw& draw) {
  w.addBody("Earth", 3.986e14, 6371010.0, {0, 0, 0});
  w.addBody("Moon", 4.9e12, 1737e3, {3.8e8, 0, 0});
  for (int i = 0; i < calm + 3; ++i) {
    VesselSpec s;
    s.name = "V" + std::to_string(i);
    s.body = "Earth";
    s.position = {6.7e6 + draw.plain(1e5), draw.plain(1e5), draw.plain(1e5)};
    s.velocity = {draw.plain(100), 7700.0 + draw.plain(100), draw.plain(100)};
    s.orientation = {draw.plain(3), draw.plain(1.5), draw.plain(3)};
    s.angularVelocity = {draw.plain(0.1), draw.plain(0.1), draw.plain(0.1)};
    s.propellant = i % 3 == 0 ? 0.5 : 4000.0;
    if (i == calm) s.angularVelocity = {30.0, -20.0, 5.0};  // sub-stepped
    if (i == calm + 1) s.angularVelocity = {-0.0, 0.0, -0.0};
    const ObjectId id = w.addVessel(s);
    Vessel& v = *w.vessel(id);
    v.groupLevel[THGROUP_MAIN] = i % 2 == 0 ? 0.7 : 0.0;
    v.groupLevel[THGROUP_PITCH_RAISE] = 0.25 * (i % 4);
    v.groupLevel[THGROUP_ROLL_LOWER] = i % 5 == 0 ? 1.0 : 0.0;
  }
}

void expectSameVessel(const Vessel& a, const Vessel& b, int step) {
  const double* x[] = {&a.position.x, &a.position.y, &a.position.z,  &a.velocity.x,
                       &a.velocity.y, &a.velocity.z, &a.angVel.x,    &a.angVel.y,
                       &a.angVel.z,   &a.propellant, &a.rocketDeltaV};
  const double* y[] = {&b.position.x, &b.position.y, &b.position.z,  &b.velocity.x,
                       &b.velocity.y, &b.velocity.z, &b.angVel.x,    &b.angVel.y,
                       &b.angVel.z,   &b.propellant, &b.rocketDeltaV};
  for (size_t k = 0; k < std::size(x); ++k)
    ASSERT_TRUE(sameBits(*x[k], *y[k])) << a.name << " value " << k << " at step " << step;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      ASSERT_TRUE(sameBits(a.rotation.m[i][j], b.rotation.m[i][j])) << a.name << " at " << step;
  for (size_t g = 0; g < a.propellantBurnt.size(); ++g)
    ASSERT_TRUE(sameBits(a.propellantBurnt[g], b.propellantBurnt[g])) << a.name << " " << g;
  EXPECT_EQ(a.refBody, b.refBody) << a.name;
}

TEST(WorldStep, GivesEveryVesselWhatItsOwnStepGives) {
  for (int calm = 0; calm <= 9; ++calm) {
    World grouped, single;
    Draw a(calm), b(calm);
    populate(grouped, calm, a);
    populate(single, calm, b);
    // A vessel whose velocity is not finite is not advanced, and is reported.
    grouped.vessels()[0]->velocity.y = kNaN;
    single.vessels()[0]->velocity.y = kNaN;
    for (int step = 0; step < 300; ++step) {
      const ObjectId broken = grouped.step(kStep);
      EXPECT_EQ(broken, grouped.vessels()[0]->id);
      for (Vessel* v : single.vessels()) {
        advanceVessel(*v, single.bodies(), kStep);
        v->refBody = single.referenceBody(*v);
      }
      for (size_t i = 0; i < grouped.vessels().size(); ++i)
        expectSameVessel(*grouped.vessels()[i], *single.vessels()[i], step);
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace halcyra
