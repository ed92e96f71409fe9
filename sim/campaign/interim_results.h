// Interim: the shard files, the merge and a run's figures, until the
// campaign results land (then this file and interim_results.cpp go, and the
// runner calls theirs).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/campaign/run_record.h"
#include "sim/outputs/flight_report.h"

namespace sim {

// As the campaign results will declare them (run_record.h, shard_file.h,
// campaign_results.h).
std::vector<std::optional<double>> runFigures(const Scenario& scenario, const FlightReport& report);
std::string formatRow(const RunRecord& record, const RunColumns& columns);
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line);

class ShardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ShardHeader {
  std::string campaign, identity;
  uint64_t runs = 0, seed = 0, shard = 0, shards = 1;
};
std::string shardFileName(uint64_t shard, uint64_t shards);
std::pair<uint64_t, uint64_t> shardRuns(uint64_t runs, uint64_t shard, uint64_t shards);

class ShardWriter {
 public:
  ShardWriter(const std::string& path, const ShardHeader& header, const RunColumns& columns,
              bool resume = false);
  ~ShardWriter();
  const std::vector<uint64_t>& held() const { return held_; }
  void append(const RunRecord& record);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  RunColumns columns_;
  std::FILE* file_ = nullptr;
  std::vector<uint64_t> held_;
};

int mergeCampaign(const std::vector<std::string>& shardFiles, const std::string& outDir,
                  std::string& stderrText);

}  // namespace sim
