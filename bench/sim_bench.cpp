// The stand-in host flying one "generic" vessel at 50 Hz with the module
// loaded and a screen in its mode, as gyrelle-sim does, and the page redraws
// of each reference mode on the recording device context. Counters:
// sim_s_per_s (simulated seconds per second), allocs_per_step and
// allocs_per_redraw (operator new calls in steady state; the target is 0).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "bench/beside_executable.h"
#include "host/world.h"

// Every allocation of the process, the module's and the host's included (the
// shared libraries resolve operator new to these). Each form allocates with
// malloc and frees with free, so mixing forms stays within malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<uint64_t> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr double kStep = 0.02;              // [s] 50 Hz
constexpr double kMu = 3.986e14;            // [m^3/s^2] Earth
constexpr double kEarthRadius = 6371010.0;  // [m]
constexpr int kStepsPerRedraw = 50;         // one redraw a simulated second
constexpr uint32_t kKeyH = 35;              // the attitude hold
constexpr uint32_t kKeyPad0 = 82;           // the help pages
constexpr uint32_t kModeKeys[] = {2, 3, 4, 5};

// A world with Earth, a base, the "generic" vessel in low orbit and a second
// vessel 2 km ahead, the module loaded and one screen in its mode.
struct LoadedWorld {
  halcyra::World world;
  std::unique_ptr<halcyra::ModuleLoader> loader;
  size_t screen = 0;
  std::string error;

  LoadedWorld() {
    halcyra::World::install(&world);
    try {
      loader = std::make_unique<halcyra::ModuleLoader>(besideExecutable("libgyrelle.so"));
    } catch (const std::exception& e) {
      error = e.what();
      return;
    }
    world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
    world.addBase("Cape Ridge", "Earth", {kEarthRadius, 0, 0});
    halcyra::VesselSpec spec;
    spec.name = "Gyre-1";
    spec.body = "Earth";
    spec.base = "Cape Ridge";
    spec.position = {6671010.0, 0.0, 0.0};
    spec.velocity = {0.0, 7655.7227, 0.0};
    spec.angularVelocity = {0.01, -0.02, 0.005};
    world.setFocus(world.addVessel(spec));
    spec.name = "Tender";
    spec.base.clear();
    spec.position = {6671010.0, 2000.0, 150.0};
    spec.velocity = {0.6, 7656.6227, -0.3};
    spec.angularVelocity = {};
    world.addVessel(spec);
    screen = world.addScreen(256, 280);
    if (!world.setScreenMode(screen, "Gyrelle"))
      error = "the module registered no mode \"Gyrelle\"";
  }
  ~LoadedWorld() {
    halcyra::World::install(&world);
    if (loader) world.setScreenMode(screen, "");  // the instance's code lives in the module
    loader.reset();
    halcyra::World::install(nullptr);
  }
};

void BM_GenericVesselWithModule(benchmark::State& state) {
  LoadedWorld w;
  if (!w.error.empty()) {
    state.SkipWithError(w.error.c_str());
    return;
  }
  w.world.pressKey(w.screen, kKeyH);  // the attitude hold runs at every step
  uint64_t steps = 0;
  // Warm up: the first steps and redraws size the buffers they keep.
  for (int i = 0; i < 2 * kStepsPerRedraw; ++i) {
    w.world.step(kStep);
    ++steps;
    w.loader->postStep(double(steps) * kStep, kStep, 0.0);
    if (steps % kStepsPerRedraw == 0) w.world.redraw(w.screen);
  }
  const uint64_t first = steps;
  uint64_t stepAllocs = 0, redrawAllocs = 0, redraws = 0;
  for (auto _ : state) {
    const uint64_t a0 = gAllocations.load(std::memory_order_relaxed);
    w.world.step(kStep);
    ++steps;
    w.loader->postStep(double(steps) * kStep, kStep, 0.0);
    const uint64_t a1 = gAllocations.load(std::memory_order_relaxed);
    stepAllocs += a1 - a0;
    if (steps % kStepsPerRedraw == 0) {
      benchmark::DoNotOptimize(w.world.redraw(w.screen).size());
      redrawAllocs += gAllocations.load(std::memory_order_relaxed) - a1;
      ++redraws;
    }
  }
  const double done = double(steps - first);
  state.counters["sim_s_per_s"] = benchmark::Counter(done * kStep, benchmark::Counter::kIsRate);
  state.counters["allocs_per_step"] = double(stepAllocs) / done;
  state.counters["allocs_per_redraw"] = redraws > 0 ? double(redrawAllocs) / double(redraws) : 0.0;
}
BENCHMARK(BM_GenericVesselWithModule);

// One redraw of the page of mode 1 to 4 (argument), or of the first help page
// (argument 0), with the hold running.
void BM_PageRedraw(benchmark::State& state) {
  LoadedWorld w;
  if (!w.error.empty()) {
    state.SkipWithError(w.error.c_str());
    return;
  }
  const int mode = int(state.range(0));
  w.world.pressKey(w.screen, kModeKeys[mode == 0 ? 0 : mode - 1]);
  w.world.pressKey(w.screen, kKeyH);
  if (mode == 0) w.world.pressKey(w.screen, kKeyPad0);
  for (int i = 0; i < 100; ++i) {  // a few refreshes: every figure of the page is set
    w.world.step(kStep);
    w.loader->postStep(double(i + 1) * kStep, kStep, 0.0);
  }
  w.world.redraw(w.screen);
  const uint64_t allocsBefore = gAllocations.load();
  uint64_t redraws = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(w.world.redraw(w.screen).size());
    ++redraws;
  }
  state.counters["allocs_per_redraw"] =
      double(gAllocations.load() - allocsBefore) / double(redraws);
}
BENCHMARK(BM_PageRedraw)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
