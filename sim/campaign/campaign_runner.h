// A campaign's runs flown by worker processes (campaign_worker.h) into a
// shard file: the parent hands out the runs one at a time as workers become
// free, appends each row to the shard file as it comes (flushed, so that a
// stop keeps every finished row), kills a worker whose run passed the time
// limit and records that run `time_limit`, records the run of a worker that
// died `crashed` with how it ended, and starts another worker in its place.
// On an interruption (platform/interrupt.h) it hands out no more runs, kills
// the workers and keeps the rows written.
#pragma once

#include <cstdint>
#include <string>

#include "sim/campaign/campaign_plan.h"

namespace sim {

struct ShardRunOptions {
  std::string program;     // this program's file, started as the workers
  std::string module;      // the module library the workers load
  std::string shardFile;   // DIR/shard-I-of-N.csv
  unsigned jobs = 1;       // worker processes
  uint64_t shard = 0;      // I of N: runs [I * runs / N, (I + 1) * runs / N)
  uint64_t shards = 1;     // N
  bool resume = false;     // fly only the runs the shard file lacks
  bool quiet = false;      // no progress bar
  double timeLimit = 0.0;  // [s] wall-clock time a run may take
};

// Flies the shard's runs. Returns 0 when every run has its row, else the
// exit status of the interruption (128 + the signal number). Throws
// std::runtime_error when the shard file cannot be written or, resuming, is
// another campaign's.
int flyShard(const CampaignPlan& plan, const ShardRunOptions& options);

}  // namespace sim
