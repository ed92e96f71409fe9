// One run of a campaign as its row in a shard file and in runs.csv: the
// run's index and seed, how it ended, its drawn values, each expectation's
// outcome and the flight's figures. Rows are CSV (RFC 4180 quoting) with every
// number written shortest round-trip (std::to_chars), so that a row read back
// holds the very doubles that were written, and results merged from shard
// files equal those of one process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/outputs/junit.h"
#include "sim/scenario/scenario.h"

namespace sim {

enum class RunStatus {
  Ok,         // flown to its end
  Error,      // the run stopped with an error (a drawn value refused, a state no longer finite)
  Crashed,    // the worker flying it died (reason: the signal or exit status)
  TimeLimit,  // stopped at the campaign's time limit
};

// The columns every row of a campaign has, in order after run,seed,status,reason.
struct RunColumns {
  std::vector<std::string> drawn;         // CampaignPlan::drawnColumns()
  std::vector<std::string> expectations;  // the base scenario's expectations' names
  std::vector<std::string> figures;       // figureColumns(base scenario)
};

struct RunRecord {
  uint64_t index = 0;
  uint64_t seed = 0;
  RunStatus status = RunStatus::Ok;
  std::string reason;                          // empty when Ok
  std::vector<double> drawn;                   // as RunColumns::drawn
  std::vector<Outcome> outcomes;               // as RunColumns::expectations; empty unless Ok
  std::vector<std::optional<double>> figures;  // as RunColumns::figures; none = no value
};

// The flight's figures a campaign keeps, for each vessel the scenario
// declares or spawns and each screen: "VESSEL.propellant_kg.total" (also
// .rotation, .linear, .engines), "VESSEL.delta_v_m_s", "VESSEL.max_rate_deg_s",
// "VESSEL.final_rate_deg_s", "screenN.settle_time_s" (its first hold),
// "screenN.final_dev_pitch" (also _yaw, _roll) [deg].
std::vector<std::string> figureColumns(const Scenario& scenario);

// The header line and one row (without the line break).
std::string headerRow(const RunColumns& columns);
std::string formatRow(const RunRecord& record);
// Reads a row written by formatRow for these columns; nullopt for a line
// that is not one (a half-written last line after a crash, say).
std::optional<RunRecord> parseRow(const std::string& line, const RunColumns& columns);

}  // namespace sim
