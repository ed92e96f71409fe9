#include "sim/serve/pacer.h"

namespace sim {

void Pacer::rebase(Clock::time_point now, double t) {
  baseWall_ = now;
  baseSim_ = t;
}

void Pacer::setSpeed(double speed, Clock::time_point now, double t) {
  speed_ = speed;
  rebase(now, t);
}

Pacer::Clock::time_point Pacer::due(double t) const {
  if (speed_ <= 0.0) return Clock::time_point::min();
  const std::chrono::duration<double> wall((t - baseSim_) / speed_);  // [s]
  return baseWall_ + std::chrono::duration_cast<Clock::duration>(wall);
}

void Pacer::ran(double t, Clock::time_point now) {
  if (speed_ <= 0.0) return;
  if (now - due(t) > std::chrono::duration<double>(kMaxLag)) rebase(now, t);
}

}  // namespace sim
