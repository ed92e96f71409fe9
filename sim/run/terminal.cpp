#include "sim/run/terminal.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "render/page_text.h"
#include "sim/outputs/output_file.h"

namespace sim {
namespace {
constexpr int kBarWidth = 40;                                // [characters]
constexpr auto kBarPeriod = std::chrono::milliseconds(100);  // fastest redraw of the bar
}  // namespace

Terminal::Terminal(bool quiet, double until, bool stdoutTaken)
    : out_(stdoutTaken ? stderr : stdout), bar_(!quiet && isatty(STDERR_FILENO)), until_(until) {}

void Terminal::clearBar() {
  if (bar_ && shown_ >= 0) {
    std::fputs("\r\033[K", stderr);
    shown_ = -1;
  }
}

void Terminal::progress(double t) {
  if (!bar_) return;
  const double f = until_ > 0.0 ? std::min(1.0, t / until_) : 1.0;
  const int perMille = int(f * 1000.0);
  if (perMille == shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ >= 0 && perMille < 1000 && now - drawn_ < kBarPeriod) return;
  drawn_ = now;
  shown_ = perMille;
  const int filled = perMille * kBarWidth / 1000;
  std::fflush(stdout);  // what the run printed comes first
  std::fprintf(stderr, "\r[%.*s%*s] %5.1f%%  t = %.1f s", filled,
               "########################################", kBarWidth - filled, "", perMille / 10.0,
               t);
  std::fflush(stderr);
}

void Terminal::debugLine(double t, const char* buffer) {
  const std::string now(buffer, strnlen(buffer, 256));
  if (now == debug_) return;
  debug_ = now;
  clearBar();
  std::fprintf(out_, "t = %.3f debug: %s\n", t, now.c_str());
  if (std::fflush(out_) != 0 && writeError_ == 0) writeError_ = errno;
}

void Terminal::note(const std::string& text) {
  clearBar();
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
}

void Terminal::lastPages(double t, halcyra::World& world) {
  clearBar();
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    std::fprintf(out_, "--- screen %zu (%s) at t = %.3f ---\n", i,
                 s.mode.empty() ? "none" : s.mode.c_str(), t);
    for (const std::string& line : render::pageText(s.lastDrawing))
      std::fprintf(out_, "%s\n", line.c_str());
  }
  if (std::fflush(out_) != 0 && writeError_ == 0) writeError_ = errno;
  if (writeError_ != 0 || std::ferror(out_))
    throw OutputError(std::string(out_ == stdout ? "standard output" : "standard error") +
                      ": cannot write: " + std::strerror(writeError_ != 0 ? writeError_ : EIO));
}

}  // namespace sim
