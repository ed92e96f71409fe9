// Pacing a flight to the wall clock: simulation time t runs at `speed` times
// real time from a base pair (wall time, simulation time) taken whenever the
// speed changes or the flight resumes. Speed 0 = as fast as possible.
#pragma once

#include <chrono>

namespace sim {

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  // How far [s of wall time] the flight may fall behind before the pacer gives
  // up catching up and takes the present as the new base (a slow machine or a
  // stop in a debugger must not be followed by a burst of steps).
  static constexpr double kMaxLag = 0.25;

  explicit Pacer(double speed = 1.0) : speed_(speed) {}

  double speed() const { return speed_; }
  // Takes (now, t [s]) as the base and runs at speed from there.
  void rebase(Clock::time_point now, double t);
  void setSpeed(double speed, Clock::time_point now, double t);

  // The wall time at which t [s] is due; Clock::time_point::min() at speed 0.
  Clock::time_point due(double t) const;
  // Called when t is being run at now: rebases when the flight is kMaxLag behind.
  void ran(double t, Clock::time_point now);

 private:
  double speed_;
  Clock::time_point baseWall_{};
  double baseSim_ = 0.0;  // [s]
};

}  // namespace sim
