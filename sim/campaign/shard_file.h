// A shard file: the rows of the runs one process (or one task of a job array)
// flew, appended as each run finishes, so that a process stopped or killed
// keeps every finished row, and read back to resume it or to merge shards.
//
//   # gyrelle-sim campaign CAMPAIGN-PATH identity=HEX runs=R seed=S shard=I/N drawn=D
//   expectations=E run,seed,status,reason,...        the header (run_record.h) 17,... one row a
//   run, in the order they finished
//
// drawn= and expectations= count the header's drawn and expectation columns
// (the figures' are the rest), so that a file read alone splits its header.
// A row is one line ended by a line break: a last line without one is a row
// being written (or torn by a kill) and is not read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/campaign/run_record.h"

namespace sim {

// A file that is not a shard file, or not of this campaign; what() is
// "PATH: what is wrong".
class ShardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ShardHeader {
  std::string campaign;  // the campaign file as named on the command line
  std::string identity;  // CampaignPlan::identity()
  uint64_t runs = 0;
  uint64_t seed = 0;
  uint64_t shard = 0;   // I of I/N
  uint64_t shards = 1;  // N
};

// "shard-I-of-N.csv"
std::string shardFileName(uint64_t shard, uint64_t shards);
// The runs of shard I of N: [I * runs / N, (I + 1) * runs / N).
std::pair<uint64_t, uint64_t> shardRuns(uint64_t runs, uint64_t shard, uint64_t shards);

// The first line, without its line break.
std::string shardFirstLine(const ShardHeader& header, const RunColumns& columns);

struct ShardContents {
  std::string path;
  ShardHeader header;
  RunColumns columns;
  std::vector<RunRecord> records;  // sorted by run, one a run
  size_t duplicates = 0;           // rows of a run read before, dropped
  size_t unread = 0;  // whole lines that are not rows of this campaign's (a row torn by a kill)
};

// Reads a shard file, also one being appended to (only whole lines count).
// Of two rows of one run the kept one does not depend on their order (see
// keptOf). Throws ShardError for a file that cannot be read or whose first
// line or header is not a shard file's.
ShardContents readShardFile(const std::string& path);

// Which of two rows of one run to keep. Rows of one run are identical unless
// one was stopped by its time limit or its worker's crash (the machine's
// doing, not the run's): a run flown to its end is kept before one that
// failed, and otherwise the row whose text sorts first, so that a merge
// gives the same results whatever the order of its files and rows.
const RunRecord& keptOf(const RunRecord& a, const RunRecord& b, const RunColumns& columns);

// The shard file a process appends its rows to, a row at a time, each
// flushed to the system as it is written.
class ShardWriter {
 public:
  // Opens path (its folders made). Without resume, or when there is no file
  // there, starts it afresh: the first line and the header. With resume,
  // keeps the rows it holds (held() lists their runs) once it is found to be
  // this shard's file: the same identity, runs, seed, shard and columns, or
  // ShardError; a torn last line is ended so that the next row starts a line
  // of its own. Throws OutputError when it cannot be written.
  ShardWriter(const std::string& path, const ShardHeader& header, const RunColumns& columns,
              bool resume = false);
  ~ShardWriter();
  ShardWriter(const ShardWriter&) = delete;
  ShardWriter& operator=(const ShardWriter&) = delete;

  // The runs the file held when opened, ascending (empty unless resumed).
  const std::vector<uint64_t>& held() const { return held_; }
  // Appends the row and flushes it. Throws OutputError.
  void append(const RunRecord& record);
  const std::string& path() const { return path_; }

 private:
  void put(const std::string& text);

  std::string path_;
  RunColumns columns_;
  std::FILE* file_ = nullptr;
  std::vector<uint64_t> held_;
  std::string line_;  // the row being written, its buffer kept
};

}  // namespace sim
