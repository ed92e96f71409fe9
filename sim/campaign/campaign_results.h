// A campaign's results: the rows of its shard files merged into DIR/runs.csv
// (one row a run, sorted by run) and DIR/summary.json (statistics of every
// figure, each expectation's pass rate, the worst runs and how to fly them
// again, the runs missing), both written whole through temporaries. The same
// rows give the same bytes whatever the files, their order, their rows'
// order, duplicates or the machine: nothing in them depends on time or place.
//
// summary.json:
//   campaign, identity, runs, seed   as the shard files say (the campaign's
//                                    path: the first in sort order of theirs)
//   flown                            runs with a row
//   missing                          the runs without one, ascending
//   status                           rows by status: ok, error, crashed, time_limit
//   all_expectations                 {runs, passed, rate, ci95}: of the runs flown,
//                                    those flown to their end with every expectation passed
//   expectations[]                   {name, runs, passed, failed, skipped, rate, ci95}: of
//                                    the runs flown to their end that judged it (not skipped)
//   figures[]                        {name, n, none, mean, std, min, p1, p5, p50, p95, p99,
//                                    max, worst[]}: n runs with a finite value, none the runs
//                                    flown to their end without one (a hold that never
//                                    settled); worst: up to 5 {run, value, replay}, the
//                                    largest values first (deviations by their size), equal
//                                    ones by run
// rate = passed / runs; ci95 = [low, high], Wilson's score interval
// (campaign_statistics.h); null where there are no runs or values.
#pragma once

#include <string>
#include <vector>

#include "sim/campaign/shard_file.h"

namespace sim {

// Merges the shard files of one campaign into outDir (made if need be).
// Returns 0 when every run has a row, 1 when some are missing (the results
// are written from the rows there are, and the missing runs listed).
// stderrText gets the summary for standard error: runs flown and missing,
// passed, failed by status, each expectation's pass rate, the worst run of
// each figure with the command that flies it again, where the results are;
// and, for each shard file, the lines it held that are not rows.
// Throws ShardError for a file that is not a shard file, shard files of
// different campaigns (named both), or none; OutputError when the results
// cannot be written.
int mergeCampaign(const std::vector<std::string>& shardFiles, const std::string& outDir,
                  std::string& stderrText);

// The command that flies run K again, alone:
// "gyrelle-sim campaign CAMPAIGN --run K --scenario-out run-K.toml && gyrelle-sim run-K.toml",
// the campaign's path quoted for a POSIX shell when it needs to be.
std::string replayCommand(const std::string& campaign, uint64_t run);

}  // namespace sim
