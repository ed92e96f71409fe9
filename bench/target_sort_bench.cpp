// A target command (CLT) on worlds of up to 10 000 vessels: the module's sort,
// which asks the host for each distance once, against the insertion sort that
// asks for two distances at every comparison. Both run on the same worlds in
// the same process; the ratio of their times is the figure of interest. The
// insertion sort's cost grows with the square of the count times the host's
// cost per query, so it runs on the smaller worlds only.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "module/module_state.h"
#include "targets/target_commands.h"

namespace {

struct BenchWorld {
  explicit BenchWorld(int objects) {  // vessels besides the body and the focus vessel
    halcyra::World::install(&world);
    world.addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});
    halcyra::VesselSpec spec;
    spec.name = "Focus";
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = VECTOR3{1.0e6, 0, 0};
    world.setFocus(world.addVessel(spec));
    for (int i = 0; i < objects; ++i) {
      spec.name = "V" + std::to_string(i);
      spec.position = VECTOR3{1.0e6, 0, 0};
      world.addVessel(spec);
    }
    scatter();
    mfd = std::make_unique<GyrelleMFD>(256, 280, hapiGetFocusInterface());
  }
  ~BenchWorld() {
    halcyra::World::install(&world);
    mfd.reset();
    halcyra::World::install(nullptr);
  }
  // Every vessel but the focus vessel to a random place within 100 km.
  void scatter() {
    std::uniform_real_distribution<double> offset(-1.0e5, 1.0e5);  // [m]
    for (halcyra::Vessel* v : world.vessels()) {
      if (v->id == world.focus()) continue;
      v->position = VECTOR3{1.0e6 + offset(random), offset(random), offset(random)};
    }
  }

  halcyra::World world;
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

// The straightforward insertion sort the list used to run: stable, swapping the
// objects of neighbouring entries, two host distance queries per comparison.
void insertionSort(TargetList& list) {
  if (list.count < 2) return;
  for (TargetNode* e = list.head->next; e != list.head; e = e->next) {
    for (TargetNode* p = e; p != list.head && isFarther(p, p->prev); p = p->prev) {
      swapTargetEntries(list, p, p->prev);
    }
  }
}

// The closest-target command with the insertion sort in place of the module's.
void closestTargetByInsertion(GyrelleMFD& mfd) {
  TargetList& list = mfd.targetList;
  if (list.count != hapiGetObjectCount()) {
    clearTargetList(list);
    for (uint32_t i = 0; i < hapiGetObjectCount(); ++i) {
      appendTarget(list, hapiGetObjectByIndex(static_cast<int>(i)));
    }
  }
  insertionSort(list);
  list.current = list.head->next;
  selectCurrentTarget(mfd);
}

// A fresh list (the first command, or one after the set of objects changed).
void BM_ClosestTarget_Rebuild(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  for (auto _ : state) {
    state.PauseTiming();
    clearTargetList(w.mfd->targetList);
    state.ResumeTiming();
    closestTarget(*w.mfd);
  }
}

void BM_ClosestTarget_Rebuild_Insertion(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  for (auto _ : state) {
    state.PauseTiming();
    clearTargetList(w.mfd->targetList);
    state.ResumeTiming();
    closestTargetByInsertion(*w.mfd);
  }
}

// A built list after every object has moved.
void BM_ClosestTarget_AfterMotion(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  closestTarget(*w.mfd);
  for (auto _ : state) {
    state.PauseTiming();
    w.scatter();
    state.ResumeTiming();
    closestTarget(*w.mfd);
  }
}

void BM_ClosestTarget_AfterMotion_Insertion(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  closestTargetByInsertion(*w.mfd);
  for (auto _ : state) {
    state.PauseTiming();
    w.scatter();
    state.ResumeTiming();
    closestTargetByInsertion(*w.mfd);
  }
}

// A built list whose order has not changed: both sorts only confirm it.
void BM_ClosestTarget_Unchanged(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  closestTarget(*w.mfd);
  for (auto _ : state) closestTarget(*w.mfd);
}

void BM_ClosestTarget_Unchanged_Insertion(benchmark::State& state) {
  BenchWorld& w = benchWorld(state);
  closestTargetByInsertion(*w.mfd);
  for (auto _ : state) closestTargetByInsertion(*w.mfd);
}

void fastSizes(benchmark::internal::Benchmark* b) {
  b->Arg(250)->Arg(500)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
}
void literalSizes(benchmark::internal::Benchmark* b) {
  b->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ClosestTarget_Rebuild)->Apply(fastSizes);
BENCHMARK(BM_ClosestTarget_Rebuild_Insertion)->Apply(literalSizes);
// The full size once: some minutes with a host whose every query is linear in
// the object count.
BENCHMARK(BM_ClosestTarget_Rebuild_Insertion)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClosestTarget_AfterMotion)->Apply(fastSizes);
BENCHMARK(BM_ClosestTarget_AfterMotion_Insertion)->Apply(literalSizes);
BENCHMARK(BM_ClosestTarget_Unchanged)->Apply(fastSizes);
BENCHMARK(BM_ClosestTarget_Unchanged_Insertion)->Apply(literalSizes);

}  // namespace

BENCHMARK_MAIN();
