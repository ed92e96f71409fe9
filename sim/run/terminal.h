// What gyrelle-sim shows on the terminal: on standard error a progress bar
// (only when that is a terminal, not with --quiet) and notes; on standard
// output the host's debug line whenever it changes, and each screen's last
// page as text at the end (on standard error too when an output, --dump - or
// --telemetry -, takes standard output).
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "host/world.h"

namespace sim {

class Terminal {
 public:
  Terminal(bool quiet, double until, bool stdoutTaken);  // until [s]
  void progress(double t);                               // [s]
  // Prints the debug line when it differs from the last one printed.
  void debugLine(double t, const char* buffer);
  void note(const std::string& text);  // to stderr
  // Prints each screen's last page, then throws OutputError when anything
  // printed there since the start (debug lines, pages) could not be written.
  void lastPages(double t, halcyra::World& world);

 private:
  void clearBar();

  FILE* out_;  // where the debug line and the last pages go
  bool bar_;
  double until_;
  int shown_ = -1;  // per mille of the run shown by the bar, -1 = none
  std::chrono::steady_clock::time_point drawn_{};  // when the bar was last drawn
  std::string debug_;
  int writeError_ = 0;  // errno of the first failed flush of out_, 0 = none
};

}  // namespace sim
