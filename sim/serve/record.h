// --record FILE: the scenario flown, followed by the person's actions as
// [[event]] tables at the times they were applied, so that the file flown as
// a scenario (with --until the time the live flight ended) repeats the flight.
// Events of equal time run in file order, so the recorded ones come after the
// scenario's own, as they did live.
//
// The file survives a crash of the server: the scenario is committed under
// the file's name before the flight starts, and each action is appended whole
// (one write of the whole table) and flushed as it is taken. A process killed
// at any moment leaves a file that replays, less at most the action in flight.
#pragma once

#include <cstdio>
#include <string>

#include "sim/outputs/output.h"

namespace sim {

class ActionRecord : public Output {
 public:
  // scenarioText: the scenario as flown; file: its name, for the header;
  // step [s]: the scenario's. Throws OutputError.
  ActionRecord(const std::string& path, const std::string& scenarioText, const std::string& file,
               double step);
  ~ActionRecord() override;
  ActionRecord(const ActionRecord&) = delete;
  ActionRecord& operator=(const ActionRecord&) = delete;

  // Appends an [[event]] table and flushes it; throws OutputError.
  void add(const std::string& eventTable);
  // Notes the end time t, as the scenario writes times ("122.6" [s]), and
  // closes the file; throws OutputError.
  void finished(double t, halcyra::World& world) override;

 private:
  void append(const std::string& text);  // whole and flushed

  std::string path_;
  double step_;           // [s]
  FILE* file_ = nullptr;  // appended to, from the committed scenario on
  size_t count_ = 0;
};

}  // namespace sim
