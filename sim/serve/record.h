// --record FILE: the scenario flown, followed by the person's actions as
// [[event]] tables at the times they were applied, so that the file flown as
// a scenario (with --until the time the live flight ended) repeats the flight.
// Events of equal time run in file order, so the recorded ones come after the
// scenario's own, as they did live.
#pragma once

#include <string>

#include "sim/output_file.h"

namespace sim {

class ActionRecord {
 public:
  // scenarioText: the scenario as flown; file: its name, for the header.
  ActionRecord(const std::string& path, const std::string& scenarioText, const std::string& file);
  void add(const std::string& eventTable);
  // Notes the end time and commits the file; throws OutputError.
  void finish(double t);

 private:
  OutputFile file_;
  size_t count_ = 0;
};

}  // namespace sim
