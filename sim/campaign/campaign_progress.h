// A campaign's progress bar on standard error, only when that is a terminal
// and not with --quiet: runs done of the runs to fly, those that failed
// (status other than ok, or an expectation failed) and the time left at the
// pace so far. Redrawn at most ten times a second, cleared at the end.
#pragma once

#include <chrono>
#include <cstdint>

namespace sim {

class CampaignProgress {
 public:
  CampaignProgress(bool quiet, uint64_t total);
  ~CampaignProgress();  // clears the bar
  void show(uint64_t done, uint64_t failed);
  void clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool bar_;
  bool shown_ = false;
  uint64_t total_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point drawn_{};
};

}  // namespace sim
