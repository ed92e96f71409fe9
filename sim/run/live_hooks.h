// What a live flight adds to the runner's loop (gyrelle-sim --serve): a
// person's actions between steps, pacing to the wall clock, and word of every
// redraw. All of it runs on the simulation thread, inside the loop; a scripted
// run has none (RunOptions::live is null).
#pragma once

#include <cstddef>
#include <vector>

#include "host/world.h"

namespace sim {

// What the loop does when pace() returns: take the next step, or apply the
// actions now waiting, at the same time, and ask again.
enum class LivePace { Step, Again };

class LiveHooks {
 public:
  virtual ~LiveHooks() = default;
  // The world is built and the module loaded; nothing has been drawn yet.
  virtual void begin(halcyra::World& world) = 0;
  // Loop step 1, after the scenario's events due at t [s]: applies the actions
  // taken since the last call, in the order taken, and marks the screens they
  // acted on in touched (sized to the world's screens).
  virtual void applyActions(double t, std::vector<bool>& touched) = 0;
  // Screen i was redrawn at t [s].
  virtual void redrawn(double t, size_t screen) = 0;
  // With everything due at t [s] done, before the step from t: Step when the
  // wall clock has reached t + step at the flight's speed, or a step was asked
  // for while paused; Again when actions are waiting (an action never takes a
  // step: it is applied at t) or a stop was asked for. Waits meanwhile, also
  // for as long as the flight is paused.
  virtual LivePace pace(double t) = 0;
  // The run ended at t [s]; the world is still there.
  virtual void end(double t) = 0;
};

}  // namespace sim
