#include "sim/campaign/campaign_flight.h"

#include <exception>

#include "sim/campaign/run_record.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/runner.h"

namespace sim {

RunColumns runColumns(const CampaignPlan& plan) {
  RunColumns c;
  c.drawn = plan.drawnColumns();
  for (const Expectation& e : plan.base().expectations) c.expectations.push_back(e.name);
  c.figures = figureColumns(plan.base());
  return c;
}

std::string oneLine(const std::string& message) {
  std::string out;
  for (char c : message) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += " / ";
    } else {
      out += c;
    }
  }
  return out;
}

RunRecord flyCampaignRun(const CampaignPlan& plan, uint64_t k, const std::string& modulePath) {
  RunRecord record;
  record.index = k;
  record.seed = plan.runSeed(k);
  try {
    const CampaignPlan::Run run = plan.run(k);
    record.drawn = run.drawn;
    RunOptions o;
    o.until = run.scenario.until;
    o.module = modulePath;
    o.quiet = true;
    o.finished = [&](const RunOutputs& outputs) {
      record.figures = runFigures(plan.base(), *outputs.report());
      // The verdicts list the expectations first, in file order, then the
      // conditional events (sim/verify/verification.h).
      if (const Verification* v = outputs.verification())
        for (size_t i = 0; i < run.scenario.expectations.size(); ++i)
          record.outcomes.push_back(v->verdicts().at(i).outcome);
    };
    runScenario(run.scenario, o);
  } catch (const std::exception& e) {
    record.status = RunStatus::Error;
    record.reason = oneLine(e.what());
    record.outcomes.clear();
    record.figures.clear();
  }
  return record;
}

}  // namespace sim
