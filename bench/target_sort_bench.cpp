// Target commands (CLT) on worlds of 1 000 to 100 000 objects: the module's
// command against the literal one (refresh by count, then the insertion sort
// that asks the host for two distances at every comparison), both on the same
// worlds in the same process. Three kinds of list between two commands:
// steady (nothing moved), drifting (every object moved a little, so that
// neighbours swap now and then) and scrambled (every object somewhere new).
// Targets: a steady command within 0.5 ms at 10 000 objects and 5 ms at
// 100 000, and never slower than the literal command on any kind of list.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "targets/target_commands.h"

namespace {

constexpr double kFocusX = 1.0e6;  // [m]
constexpr double kSpread = 1.0e5;  // [m] objects lie within this of the focus vessel
constexpr double kDrift = 20.0;    // [m] a drifting object's move between two commands

struct BenchWorld {
  explicit BenchWorld(int objects) {  // vessels besides the body and the focus vessel
    halcyra::World::install(&world);
    world.addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});
    halcyra::VesselSpec spec;
    spec.name = "Focus";
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = VECTOR3{kFocusX, 0, 0};
    world.setFocus(world.addVessel(spec));
    for (int i = 0; i < objects; ++i) {
      spec.name = "V" + std::to_string(i);
      world.addVessel(spec);
    }
    for (halcyra::Vessel* v : world.vessels())
      if (v->id != world.focus()) vessels.push_back(v);
    scramble();
    mfd = std::make_unique<GyrelleMFD>(256, 280, hapiGetFocusInterface());
  }
  ~BenchWorld() {
    halcyra::World::install(&world);
    mfd.reset();
    halcyra::World::install(nullptr);
  }
  // Every vessel but the focus vessel to a random place.
  void scramble() {
    std::uniform_real_distribution<double> offset(-kSpread, kSpread);
    for (halcyra::Vessel* v : vessels)
      v->position = VECTOR3{kFocusX + offset(random), offset(random), offset(random)};
  }
  // Every vessel but the focus vessel a little way.
  void drift() {
    std::uniform_real_distribution<double> offset(-kDrift, kDrift);
    for (halcyra::Vessel* v : vessels)
      v->position = v->position + VECTOR3{offset(random), offset(random), offset(random)};
  }

  halcyra::World world;
  std::vector<halcyra::Vessel*> vessels;
  std::mt19937 random{1};
  std::unique_ptr<GyrelleMFD> mfd;
};

// One world per size, built once; the one in use is installed as the host's.
BenchWorld& benchWorld(const benchmark::State& state) {
  static std::map<int64_t, std::unique_ptr<BenchWorld>> worlds;
  auto& w = worlds[state.range(0)];
  if (!w) w = std::make_unique<BenchWorld>(static_cast<int>(state.range(0)));
  halcyra::World::install(&w->world);
  return *w;
}

// The literal command: rebuild when the count differs, then the stable
// insertion sort swapping the objects of neighbouring entries, two host
// distance queries per comparison.
void literalClosestTarget(GyrelleMFD& mfd) {
  TargetList& list = mfd.targetList;
  if (list.count != hapiGetObjectCount()) {
    clearTargetList(list);
    for (uint32_t i = 0; i < hapiGetObjectCount(); ++i)
      appendTarget(list, hapiGetObjectByIndex(static_cast<int>(i)));
  }
  if (list.count >= 2) {
    for (TargetNode* e = list.head->next; e != list.head; e = e->next)
      for (TargetNode* p = e; p != list.head && isFarther(p, p->prev); p = p->prev)
        swapTargetEntries(list, p, p->prev);
  }
  list.current = list.head->next;
  selectCurrentTarget(mfd);
}

enum class Kind { Steady, Drifting, Scrambled };

template <Kind kind, bool literal>
void command(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  auto run = [&] { literal ? literalClosestTarget(*w.mfd) : closestTarget(*w.mfd); };
  run();
  for (auto _ : state) {
    if (kind != Kind::Steady) {
      state.PauseTiming();
      kind == Kind::Drifting ? w.drift() : w.scramble();
      state.ResumeTiming();
    }
    run();
  }
}

void BM_Steady(benchmark::State& s) { command<Kind::Steady, false>(s); }
void BM_Steady_Literal(benchmark::State& s) { command<Kind::Steady, true>(s); }
void BM_Drifting(benchmark::State& s) { command<Kind::Drifting, false>(s); }
void BM_Drifting_Literal(benchmark::State& s) { command<Kind::Drifting, true>(s); }
void BM_Scrambled(benchmark::State& s) { command<Kind::Scrambled, false>(s); }
void BM_Scrambled_Literal(benchmark::State& s) { command<Kind::Scrambled, true>(s); }

BENCHMARK(BM_Steady)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Steady_Literal)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Drifting)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Drifting_Literal)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
// The literal sort of a scrambled list grows with the square of the count.
BENCHMARK(BM_Scrambled)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scrambled_Literal)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
