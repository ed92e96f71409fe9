// --telemetry FILE: a CSV table, a contract that other tools read. Its header
// is kTelemetryHeader; one row per vessel at t = 0 and every interval:
// position and velocity relative to the vessel's reference body (global
// axes), status orientation angles and angular velocity, mass, propellant,
// the net rotation levels (groups 3-4, 6-5, 8-7), net linear levels (9-10,
// 11-12, 13-14), engine levels, and 1 when a port is engaged.
#pragma once

#include <string>

#include "sim/outputs/output.h"
#include "sim/outputs/output_file.h"

namespace sim {

extern const char* const kTelemetryHeader;  // without its line break

class TelemetryOutput : public Output {
 public:
  TelemetryOutput(const std::string& path, double every);  // every [s]; throws OutputError
  void sampled(double t, halcyra::World& world) override;
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_.commitOrDiscard(); }

 private:
  OutputFile file_;
  Interval due_;
  std::string text_;  // one sample's rows, its buffer kept for the next
};

}  // namespace sim
