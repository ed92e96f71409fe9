#include "sim/serve/session.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "sim/outputs/number_text.h"

namespace sim {

using Clock = LiveSession::Clock;

namespace {

ActionResult unavailable(const char* why) {
  ActionResult r;
  r.status = 503;
  r.message = why;
  return r;
}

}  // namespace

LiveSession::LiveSession(double speed, double step, double until, ActionRecord* record)
    : speed_(speed), baseWall_(Clock::now()), step_(step), until_(until), record_(record) {}

// ---- HTTP side --------------------------------------------------------------

ActionResult LiveSession::submit(const Action& action, std::chrono::milliseconds wait) {
  auto pending = std::make_shared<Pending>();
  pending->action = action;
  std::future<ActionResult> result = pending->done.get_future();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ended_) return unavailable("the flight has ended");
    if (queue_.size() >= kMaxQueued)
      return unavailable("too many actions are waiting for the simulation");
    queue_.push_back(pending);
  }
  changed_.notify_all();
  if (result.wait_for(wait) != std::future_status::ready)
    return unavailable("the simulation has not taken the action yet; it may still do so");
  return result.get();
}

CommandResult LiveSession::command(const SimCommand& c, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (ended_) return {503, "the flight has ended", {}};
  const Clock::time_point now = Clock::now();
  if (c.speed) {
    speed_ = *c.speed;
    rebase(now);
  }
  if (c.pause) {
    if (paused_ && !*c.pause) rebase(now);  // resume from here, no catching up
    paused_ = *c.pause;
    stepCredit_ = 0;  // a pause or a resume ends steps still owed
  }
  if (c.step) {
    paused_ = true;
    stepCredit_ = std::min(kMaxStepCredit, stepCredit_ + *c.step);
  }
  clockChanged_ = true;
  const uint64_t mine = ++commands_;
  changed_.notify_all();
  // Shown once a state built after it is published; for a step command, one
  // built with no step owed (so the answer also waits for steps another
  // command added meanwhile).
  const auto shown = [&] {
    return snapshot_.json && shownCommands_ >= mine && (!c.step || shownStepCredit_ == 0);
  };
  changed_.wait_for(lock, wait, [&] { return shown() || ended_; });
  if (!shown())
    return {503,
            ended_ ? "the flight has ended"
                   : "the simulation has not shown the command yet; it may still do so",
            {}};
  return {200, "", snapshot_.clock};
}

Snapshot LiveSession::latest() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return snapshot_;
}

Snapshot LiveSession::waitNewer(uint64_t after, std::chrono::milliseconds wait) const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, wait, [&] { return snapshot_.serial > after || ended_; });
  return snapshot_;
}

bool LiveSession::ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

std::optional<size_t> LiveSession::screenCount(std::chrono::milliseconds wait) const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, wait, [&] { return begun_ || ended_; });
  if (!begun_ || ended_) return std::nullopt;
  return screens_;
}

std::string LiveSession::timeText(double t) const {
  return stepTimeText(uint64_t(std::llround(std::max(0.0, t) / step_)), step_);
}

double LiveSession::shownTime(double t) const {
  const std::string text = timeText(t);
  double shown = t;
  std::from_chars(text.data(), text.data() + text.size(), shown);
  return shown;
}

Clock::time_point LiveSession::due(double t) const {
  if (speed_ <= 0.0) return Clock::time_point::min();
  const std::chrono::duration<double> wall((t - baseSim_) / speed_);  // [s]
  return baseWall_ + std::chrono::duration_cast<Clock::duration>(wall);
}

FlightClock LiveSession::clockLocked() const {
  FlightClock c;
  c.t = shownTime(t_);
  c.speed = speed_;
  c.paused = paused_;
  c.running = !ended_;
  c.step = step_;
  c.until = until_;
  return c;
}

// ---- Simulation side --------------------------------------------------------

void LiveSession::begin(halcyra::World& world) {
  world_ = &world;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    screens_ = world.screenCount();
    begun_ = true;
  }
  changed_.notify_all();
}

void LiveSession::publish(bool force) {
  const Clock::time_point now = Clock::now();
  if (!force && (!dirty_ || now - published_ < kPublishEvery)) return;
  FlightClock clock;
  uint64_t commands = 0;
  int stepCredit = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    clock = clockLocked();
    clockChanged_ = false;  // this state shows the clock as it now stands
    commands = commands_;
    stepCredit = stepCredit_;
  }
  // Built outside the lock: only this thread touches the world.
  auto json = std::make_shared<const std::string>(stateJson(*world_, clock));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    snapshot_.json = std::move(json);
    snapshot_.clock = clock;
    ++snapshot_.serial;
    shownCommands_ = commands;
    shownStepCredit_ = stepCredit;
  }
  changed_.notify_all();
  published_ = now;
  dirty_ = false;
  for (auto& [pending, result] : unanswered_) pending->done.set_value(std::move(result));
  unanswered_.clear();
}

void LiveSession::applyActions(double t, std::vector<bool>& touched) {
  std::deque<std::shared_ptr<Pending>> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    t_ = t;
    batch.swap(queue_);
  }
  for (const std::shared_ptr<Pending>& p : batch) {
    ActionResult r = applyAction(*world_, p->action);
    r.t = shownTime(t);
    if (r.status == 200) {
      if (p->action.screen < touched.size()) touched[p->action.screen] = true;
      if (record_) record_->add(eventTable(r.applied, timeText(t)));
    }
    unanswered_.emplace_back(p, std::move(r));
  }
  if (!batch.empty()) dirty_ = true;
}

void LiveSession::redrawn(double /*t*/, size_t /*screen*/) { dirty_ = true; }

LivePace LiveSession::pace(double t) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    t_ = t;
  }
  if (t != pacedAt_) dirty_ = true;  // a step was taken
  pacedAt_ = t;
  publish(false);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (clockChanged_) {
      clockChanged_ = false;
      dirty_ = true;
    }
    const Clock::time_point now = Clock::now();
    Clock::time_point until = Clock::time_point::max();
    // The step first: a flood of actions must not hold the flight, nor can
    // it move it on (actions are applied at t, Again).
    if (paused_) {
      if (stepCredit_ > 0) {
        --stepCredit_;
        return LivePace::Step;
      }
    } else {
      const Clock::time_point next = due(t + step_);
      if (now >= next) {
        if (speed_ > 0.0 && now - next > kMaxLag) {
          baseWall_ = now;
          baseSim_ = t + step_;
        }
        return LivePace::Step;
      }
      until = next;
    }
    if (!queue_.empty()) return LivePace::Again;
    if (dirty_) {  // a change not yet shown: publish it once its turn comes
      const Clock::time_point turn = published_ + kPublishEvery;
      if (now >= turn) {
        lock.unlock();
        publish(false);
        lock.lock();
        continue;
      }
      until = std::min(until, turn);
    }
    if (stopRequested_) {
      lock.unlock();
      const bool stop = stopRequested_();
      lock.lock();
      if (stop) return LivePace::Again;
      until = std::min(until, now + kStopPoll);
    }
    if (until == Clock::time_point::max()) {
      changed_.wait(lock);
    } else {
      changed_.wait_until(lock, until);
    }
  }
}

void LiveSession::end(double t) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    t_ = t;
    ended_ = true;
  }
  publish(true);
  std::deque<std::shared_ptr<Pending>> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left.swap(queue_);
  }
  for (const std::shared_ptr<Pending>& p : left)
    p->done.set_value(unavailable("the flight has ended"));
  changed_.notify_all();
  world_ = nullptr;
}

}  // namespace sim
