#include "sim/campaign/campaign_worker.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#include "platform/child_process.h"
#include "sim/campaign/campaign_flight.h"
#include "sim/campaign/run_record.h"

namespace sim {
namespace {

// Test-only: GYRELLE_CAMPAIGN_TEST_CRASH=K makes the worker abort when handed
// run K, as a module that crashes would, so that the tests see a crashed run
// recorded while the campaign goes on. Read once, at the worker's start.
std::optional<uint64_t> crashHook() {
  const char* asked = std::getenv("GYRELLE_CAMPAIGN_TEST_CRASH");
  if (asked == nullptr) return std::nullopt;
  return std::strtoull(asked, nullptr, 10);
}

}  // namespace

int runCampaignWorker(const std::string& campaignPath, const std::string& modulePath) {
  std::FILE* rows = takeStandardOutput();
  if (rows == nullptr) return 1;
  try {
    const CampaignPlan plan(campaignPath);
    const uint64_t runs = plan.settings().runs;
    const RunColumns columns = runColumns(plan);
    keepLibraryMapped(modulePath);  // for the process's life
    const std::optional<uint64_t> crashAt = crashHook();
    // An empty line: ready. The parent's clock for the first run starts
    // here, not at the worker's start (reading the campaign, a slow start
    // under an emulator).
    if (std::fputc('\n', rows) == EOF || std::fflush(rows) != 0) return 1;
    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
      char* end = nullptr;
      const uint64_t k = std::strtoull(line, &end, 10);
      if (end == line || k >= runs) return 1;
      if (k == crashAt) std::abort();
      const std::string row = formatRow(flyCampaignRun(plan, k, modulePath), columns) + "\n";
      if (std::fwrite(row.data(), 1, row.size(), rows) != row.size() || std::fflush(rows) != 0)
        return 1;
    }
  } catch (const std::exception&) {
    return 1;
  }
  return 0;
}

}  // namespace sim
