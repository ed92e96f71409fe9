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
#include <string_view>
#include <vector>

#include "sim/outputs/flight_report.h"
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
  std::string reason;                          // empty when Ok; one line (breaks become spaces)
  std::vector<double> drawn;                   // as RunColumns::drawn; empty = not drawn (an error)
  std::vector<Outcome> outcomes;               // as RunColumns::expectations; empty unless Ok
  std::vector<std::optional<double>> figures;  // as RunColumns::figures; none = no value
};

// The flight's figures a campaign keeps, for each vessel the scenario
// declares or spawns and each screen: "VESSEL.propellant_kg.total" (also
// .rotation, .linear, .engines), "VESSEL.delta_v_m_s", "VESSEL.max_rate_deg_s",
// "VESSEL.final_rate_deg_s", "screenN.settle_time_s" (its first hold),
// "screenN.final_dev_pitch" (also _yaw, _roll) [deg].
// A vessel's name is a column once, even when a spawned vessel takes the
// name of one deleted before it (its figures are then the later vessel's).
std::vector<std::string> figureColumns(const Scenario& scenario);

// The flight's figures in figureColumns(scenario)'s order, from its finished
// report: none for a vessel or screen the flight never showed, a hold that
// never settled, a screen whose last redraw showed no deviations.
std::vector<std::optional<double>> runFigures(const Scenario& scenario, const FlightReport& report);

// "ok", "error", "crashed", "time_limit", and back (nullopt for another text).
const char* statusText(RunStatus status);
std::optional<RunStatus> statusNamed(std::string_view text);

// The header line and one row (without the line break). A row holds every
// column: a failed run's outcomes are empty, and so are its figures and
// drawn values when the record has none. Text fields are quoted as RFC 4180
// asks and kept to one line, so that a shard file is a row a line. Throws
// std::invalid_argument for a record whose values do not fit the columns.
std::string headerRow(const RunColumns& columns);
std::string formatRow(const RunRecord& record, const RunColumns& columns);
// Reads a row written by formatRow for these columns; nullopt for a line
// that is not one (a half-written last line after a crash, say). Its figures
// are always one per column.
std::optional<RunRecord> parseRow(const std::string& line, const RunColumns& columns);

// The fields of one CSV line (RFC 4180 quoting, no line breaks inside);
// nullopt when its quotes do not pair up.
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line);

}  // namespace sim
