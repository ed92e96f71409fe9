#include "sim/campaign/campaign_progress.h"

#include <unistd.h>

#include <cstdio>

namespace sim {
namespace {

constexpr int kBarWidth = 30;                           // [characters]
constexpr std::chrono::milliseconds kRedrawEvery{100};  // at most ten redraws a second

}  // namespace

CampaignProgress::CampaignProgress(bool quiet, uint64_t total)
    : bar_(!quiet && isatty(STDERR_FILENO)), total_(total) {}

CampaignProgress::~CampaignProgress() { clear(); }

void CampaignProgress::show(uint64_t done, uint64_t failed) {
  if (!bar_ || total_ == 0) return;
  const Clock::time_point now = Clock::now();
  if (shown_ && now - drawn_ < kRedrawEvery && done < total_) return;
  drawn_ = now;
  shown_ = true;
  const int filled = int(kBarWidth * done / total_);
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
  bar[kBarWidth] = '\0';
  const double elapsed = std::chrono::duration<double>(now - start_).count();  // [s]
  char left[32] = "--";
  if (done > 0) {
    const long seconds = long(elapsed / double(done) * double(total_ - done) + 0.5);
    std::snprintf(left, sizeof left, "%ld:%02ld", seconds / 60, seconds % 60);
  }
  std::fprintf(stderr, "\r[%s] %llu/%llu runs, %llu failed, %s left ", bar,
               static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_),
               static_cast<unsigned long long>(failed), left);
  std::fflush(stderr);
}

void CampaignProgress::clear() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%*s\r", kBarWidth + 60, "");
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace sim
