// The meeting point of the simulation thread and the HTTP threads of a live
// flight. The simulation thread owns the world and never waits for the
// network: HTTP threads only queue actions and sim commands here, and read
// the latest published state. A state is published at most every 50 ms of
// wall time, whenever a redraw or a step has changed what it shows; a reader
// that is slow simply gets a later one (frames are dropped, never queued).
//
// Pacing: simulation time runs at `speed` times real time from a base pair
// (wall time, simulation time) taken whenever the speed changes or the flight
// resumes. Speed 0 = as fast as possible.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "sim/run/live_hooks.h"
#include "sim/serve/actions.h"
#include "sim/serve/record.h"
#include "sim/serve/state_json.h"

namespace sim {

// The answer to a sim command: 200 with the clock of the first state that
// shows it, or 503 with why not.
struct CommandResult {
  int status = 200;
  std::string message;
  FlightClock clock;
};

struct Snapshot {
  uint64_t serial = 0;  // counts published states from 1
  std::shared_ptr<const std::string> json;
  FlightClock clock;  // as the state shows it
};

class LiveSession : public LiveHooks {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr size_t kMaxQueued = 64;       // actions waiting for the simulation
  static constexpr int kMaxStepCredit = 100000;  // steps asked for while paused
  static constexpr std::chrono::milliseconds kPublishEvery{50};
  // The longest a paused flight waits before it asks stopRequested again.
  static constexpr std::chrono::milliseconds kStopPoll{100};
  // How far [s of wall time] the flight may fall behind before pacing gives up
  // catching up and takes the present as the new base (a slow machine or a
  // stop in a debugger must not be followed by a burst of steps).
  static constexpr std::chrono::duration<double> kMaxLag{0.25};

  // record: may be null. step, until [s] of the run.
  LiveSession(double speed, double step, double until, ActionRecord* record);

  // HTTP side ---------------------------------------------------------------
  // Queues an action and waits (up to `wait`) until the simulation applied it
  // and published a state that shows it.
  ActionResult submit(const Action& action, std::chrono::milliseconds wait);
  // Applies a sim command and waits (up to `wait`) for a published state that
  // shows it: the pause or speed, and for a step command the steps taken.
  CommandResult command(const SimCommand& c, std::chrono::milliseconds wait);
  Snapshot latest() const;
  // Waits up to `wait` for a state newer than `after`; returns it, or the
  // latest one (possibly the same) on timeout or when the flight has ended.
  Snapshot waitNewer(uint64_t after, std::chrono::milliseconds wait) const;
  bool ended() const;
  // Asked while the flight waits (paused, or for the wall clock): when it
  // answers true, pace() returns so that the run can end at the step's end.
  // Set before the run; it is called on the simulation thread.
  void setStopCheck(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
  }
  // t [s] as the scenario would write it (number_text.h: stepTimeText), and
  // the double nearest that decimal, which JSON prints the same way.
  std::string timeText(double t) const;
  double shownTime(double t) const;
  // The flight's screen count, once the world is built (requests name screens
  // by index and are checked against it); waits up to `wait` for that, and
  // gives nothing if the world is not there by then or the flight has ended.
  std::optional<size_t> screenCount(std::chrono::milliseconds wait) const;

  // Simulation side (LiveHooks) ------------------------------------------------
  void begin(halcyra::World& world) override;
  void applyActions(double t, std::vector<bool>& touched) override;
  void redrawn(double t, size_t screen) override;
  LivePace pace(double t) override;
  void end(double t) override;

 private:
  struct Pending {
    Action action;
    std::promise<ActionResult> done;
  };

  FlightClock clockLocked() const;
  // The wall time at which t [s] is due at the speed; Clock::time_point::min() at speed 0.
  Clock::time_point due(double t) const;
  void rebase(Clock::time_point now) {  // runs at speed from (now, t_)
    baseWall_ = now;
    baseSim_ = t_;
  }
  // Builds and publishes the state when something changed and kPublishEvery
  // has passed (or always when forced). Simulation thread; takes the lock itself.
  void publish(bool force);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;  // actions, commands, new states
  std::deque<std::shared_ptr<Pending>> queue_;
  double speed_;  // multiple of real time
  Clock::time_point baseWall_;
  double baseSim_ = 0.0;  // [s]
  bool paused_ = false;
  int stepCredit_ = 0;
  bool ended_ = false;
  bool begun_ = false;
  size_t screens_ = 0;  // fixed for the run: screens are made with the world
  // A command changed pause or speed since the last publication: the state
  // shows it even when no step follows (a paused flight).
  bool clockChanged_ = false;
  uint64_t commands_ = 0;       // sim commands applied
  uint64_t shownCommands_ = 0;  // of them, those the latest state shows
  int shownStepCredit_ = 0;     // steps still owed when the latest state was built
  double t_ = 0.0;              // [s] the time last run
  Snapshot snapshot_;

  // Simulation thread only.
  std::function<bool()> stopRequested_;
  halcyra::World* world_ = nullptr;
  const double step_, until_;
  ActionRecord* record_;
  bool dirty_ = true;
  double pacedAt_ = -1.0;  // [s] the t of the last pace()
  // Applied actions whose answer waits for the next publication.
  std::vector<std::pair<std::shared_ptr<Pending>, ActionResult>> unanswered_;
  Clock::time_point published_{};
};

}  // namespace sim
