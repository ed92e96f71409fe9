// One flight of a scenario, steppable: the runner's one loop, which
// runScenario flies to its end, the live server paces to the wall clock and
// an embedding program (the Python package) advances a piece at a time,
// acting on the screens and vessels between pieces.
//
// The loop, with t = steps * step (never a running sum, so times stay exact):
//   1. run every event due at t (its time <= t + kTimeSlack), in order, then the
//      conditional events whose condition holds (sim/verify/verification.h);
//      redraw each screen they touched; a live flight then applies the person's actions
//      and waits for its pace (live_hooks.h), applying the actions taken
//      meanwhile at the same t; an advance that stops at t stops here, and
//      the actions taken before the next one are applied at t as a live
//      flight's are;
//   2. the outputs take the screens redrawn at t and the sample at t; stop
//      when t >= until, or when an interruption has been asked for
//      (platform/interrupt.h);
//   3. advance every vessel by one step with the levels in force; t += step;
//      a vessel whose state is no longer finite ends the run;
//   4. call the module's hpcPostStep(t, step, 0);
//   5. redraw every screen whose redraw interval has passed.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/world.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/runner.h"
#include "sim/run/terminal.h"
#include "sim/scenario/scenario.h"

namespace sim {

class Flight {
 public:
  // Builds the scenario's world in `world` (installed, with the module's
  // modes registered) and opens the outputs; nothing is drawn yet. Throws
  // ScenarioError for what the scenario names but the module or world does
  // not have, OutputError for an output that cannot be opened. The scenario,
  // options and world must outlive the flight.
  Flight(const Scenario& scenario, const RunOptions& options, halcyra::World& world,
         PostStep postStep);

  // Runs the loop until it stops at stage 1 of a time: the one `stopSteps`
  // steps reach, or the first at which stopHere() returns true; or until
  // the run ends (then ended()). Throws what ends the run early (a state no
  // longer finite, an output that failed), the outputs finished first, as
  // finish() does.
  void advance(uint64_t stopSteps, const std::function<bool()>& stopHere = {});

  // Applies e at the current t, after what was due then, as the loop applies
  // a scenario event, and redraws the screens it touched; the outputs take
  // them when the flight leaves t. Returns the event's note ("" when it
  // acted). Throws std::logic_error once the flight has ended.
  std::string act(const Event& e);

  // Ends the flight at the time reached, once (a flight that ends before its
  // scenario's `until` is one cut short), as a run whose `until` is that
  // time ends (loop stage 2 at t, then the end): finishes every output, also after
  // a failure, and throws the failure with what else could not be written.
  // Later calls return the same end.
  RunEnd finish();

  double t() const { return t_; }  // [s]
  uint64_t steps() const { return steps_; }
  bool ended() const { return ended_; }
  bool finished() const { return finished_; }
  const RunOutputs& outputs() const { return outputs_; }

 private:
  void redraw(size_t screen, double when);  // a periodic (or the first) redraw
  void applyDue();                          // loop stage 1
  void leave();                             // loop stage 2, before the end test
  void takeStep();                          // loop stages 3 to 5
  void note(const std::string& text);

  const Scenario& s_;
  const RunOptions& o_;
  halcyra::World& world_;
  PostStep postStep_;
  RunOutputs outputs_;
  std::optional<Terminal> term_;  // none for an embedded flight
  bool started_ = false, ended_ = false, finished_ = false;
  size_t nextEvent_ = 0;
  uint64_t steps_ = 0;
  uint64_t redraws_ = 1;  // periodic redraws done, counting the one at t = 0
  double t_ = 0.0;        // [s] always steps_ * step, never a running sum
  std::vector<bool> touched_, shownAtT_;
  RunEnd end_;
  std::exception_ptr failure_;
};

// The module loaded from a library into a fresh world installed for this
// process: what a flight flies in. One at a time: the host operations answer
// from the one installed world, and the module keeps module-wide state.
class ModuleWorld {
 public:
  // Throws std::runtime_error when a world is already installed (another
  // flight is live in this process), when the library cannot be loaded
  // (naming its path) or registers no mode.
  explicit ModuleWorld(const std::string& modulePath);
  ~ModuleWorld();  // closes the screens while their module is loaded, then unloads it
  ModuleWorld(const ModuleWorld&) = delete;
  ModuleWorld& operator=(const ModuleWorld&) = delete;

  halcyra::World& world() { return world_; }
  PostStep postStep() const;

 private:
  struct Installed {
    explicit Installed(halcyra::World& w);
    ~Installed();
  };
  halcyra::World world_;
  Installed installed_;
  halcyra::ModuleLoader loader_;
};

}  // namespace sim
