// One run of a campaign flown in this process, as its row: plan.run(k), the
// module loaded for the run alone into a fresh world, the flight quiet, its
// figures taken from the flight report and its outcomes from the verdicts.
#pragma once

#include <cstdint>
#include <string>

#include "sim/campaign/campaign_plan.h"
#include "sim/campaign/run_record.h"

namespace sim {

// The columns of the plan's rows.
RunColumns runColumns(const CampaignPlan& plan);

// Flies run k (k < runs) with the module at modulePath. A run that throws (a
// drawn value the scenario refuses, a state no longer finite, a module that
// does not load) is recorded as an error with the message on one line.
RunRecord flyCampaignRun(const CampaignPlan& plan, uint64_t k, const std::string& modulePath);

// A message on one line, as a row's reason: each line break becomes " / ".
std::string oneLine(const std::string& message);

}  // namespace sim
