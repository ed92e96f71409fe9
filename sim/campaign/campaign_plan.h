// A campaign: one base scenario flown many times, each run with its own draws
// of the campaign's dispersions. Format: scenarios/README.md, "Campaigns".
//
// Determinism: run K's draws depend only on (the campaign's seed, K, the
// dispersion's name), through a counter-based generator, so that adding a
// dispersion leaves every other's draws alone and a run's draws do not depend
// on which process, worker or shard flies it, nor on the runs flown before.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/scenario/scenario.h"

namespace sim {

struct CampaignSettings {
  std::string file;          // the campaign file, as named on the command line
  std::string scenarioFile;  // the base scenario, as named in the campaign (relative to its folder)
  uint64_t runs = 0;         // runs 0 .. runs - 1
  uint64_t seed = 0;         // the campaign's seed
  double timeLimit = 60.0;   // [s] wall-clock time a run may take before it is stopped, failed
};

class CampaignPlan {
 public:
  // Reads the campaign file and its base scenario once. Throws ScenarioError
  // ("FILE:LINE:COLUMN: what") for either file.
  explicit CampaignPlan(const std::string& campaignPath);
  ~CampaignPlan();
  CampaignPlan(const CampaignPlan&) = delete;
  CampaignPlan& operator=(const CampaignPlan&) = delete;

  const CampaignSettings& settings() const;
  // The base scenario as read (its expectations are the runs' pass criteria).
  const Scenario& base() const;
  // A short hex text that changes with either file's text: shard files carry
  // it, so that shards of different campaigns are not merged.
  const std::string& identity() const;

  // The names of the drawn values, runs.csv's columns, in the campaign's order:
  // "NAME" for a scalar, "NAME.x" / ".y" / ".z" for a vector, "NAME.alpha" /
  // ".beta" / ".gamma" and "NAME.angle" for an orientation, "NAME.0" ... for
  // one draw per thruster.
  const std::vector<std::string>& drawnColumns() const;

  // Run K's own seed: a function of the campaign's seed and K alone.
  uint64_t runSeed(uint64_t k) const;

  struct Run {
    uint64_t index = 0;
    uint64_t seed = 0;          // runSeed(index)
    std::vector<double> drawn;  // as drawnColumns()
    Scenario scenario;          // what the run flies
  };
  // Run K (K < runs). Throws ScenarioError "CAMPAIGN: run K: what" when a
  // drawn value is one the scenario refuses (a negative mass, say).
  Run run(uint64_t k) const;

  // Run K's scenario as a TOML text that, flown alone by gyrelle-sim, gives
  // the same flight bit for bit: every drawn value written exactly.
  std::string scenarioText(uint64_t k) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
