// A campaign's worker process (gyrelle-sim campaign CAMPAIGN --worker, not
// shown in the help): reads run indices from standard input, one a line,
// flies each (campaign_flight.h) and writes its row, one a line (an empty
// line first once it has read the campaign, ready), to what
// standard output was at its start; standard output itself then goes to the
// null device, so that nothing a flight prints can reach the rows. The
// library stays mapped from run to run (platform/child_process.h,
// keepLibraryMapped) while each run loads it afresh. Ends at the end of its
// input.
#pragma once

#include <string>

namespace sim {

// Returns the worker's exit status: 0 at the end of its input, 1 when the
// rows cannot be written or the campaign cannot be read.
int runCampaignWorker(const std::string& campaignPath, const std::string& modulePath);

}  // namespace sim
