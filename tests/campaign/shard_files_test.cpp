// Shard files as the runner and the merge use them: rows appended one at a
// time survive a kill (a torn last line is not read, and a resume starts a
// line of its own after it), files of another campaign or no shard file at
// all are refused by name, and duplicate rows resolve the same whatever their
// order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/campaign/shard_file.h"
#include "sim/outputs/output_file.h"

namespace {

namespace fs = std::filesystem;
using sim::Outcome;
using sim::RunRecord;
using sim::RunStatus;

const sim::RunColumns kColumns = {{"spin.x"}, {"holds"}, {"Gyre-1.delta_v_m_s"}};
const sim::ShardHeader kHeader = {"my campaigns/hold.campaign.toml", "0123abcd", 10, 7, 1, 3};

RunRecord okRun(uint64_t k, double drawn) {
  return {k, k * 31, RunStatus::Ok, "", {drawn}, {Outcome::Passed}, {drawn * 2}};
}

class ShardFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("gyrelle-shards-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static void appendText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
  }
  static std::string text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(ShardFiles, EveryWholeRowSurvivesAKillAndAResumeGoesOnAfterIt) {
  const std::string file = path("out/" + sim::shardFileName(1, 3));
  EXPECT_EQ(sim::shardFileName(1, 3), "shard-1-of-3.csv");
  {
    sim::ShardWriter w(file, kHeader, kColumns);
    EXPECT_TRUE(w.held().empty());
    w.append(okRun(5, 0.5));
    w.append(okRun(3, 0.25));
    // Flushed row by row: what is on disk now is what a kill would leave.
    EXPECT_EQ(sim::readShardFile(file).records.size(), 2u);
    w.append(okRun(4, 1e-300));
  }
  EXPECT_EQ(text(file).substr(0, text(file).find('\n')),
            "# gyrelle-sim campaign my campaigns/hold.campaign.toml identity=0123abcd runs=10 "
            "seed=7 shard=1/3 drawn=1 expectations=1");
  appendText(file, "6,186,ok,,0.7");  // killed while writing run 6

  sim::ShardContents read = sim::readShardFile(file);
  EXPECT_EQ(read.header.campaign, kHeader.campaign);
  EXPECT_EQ(read.header.identity, kHeader.identity);
  EXPECT_EQ(read.header.runs, 10u);
  EXPECT_EQ(read.header.seed, 7u);
  EXPECT_EQ(read.header.shard, 1u);
  EXPECT_EQ(read.header.shards, 3u);
  EXPECT_EQ(read.columns.drawn, kColumns.drawn);
  EXPECT_EQ(read.columns.expectations, kColumns.expectations);
  EXPECT_EQ(read.columns.figures, kColumns.figures);
  ASSERT_EQ(read.records.size(), 3u);
  EXPECT_EQ(read.records[0].index, 3u);  // sorted by run
  EXPECT_EQ(read.records[2].drawn[0], 0.5);
  EXPECT_EQ(read.records[1].drawn[0], 1e-300);
  EXPECT_EQ(read.unread, 0u);

  {
    sim::ShardWriter w(file, kHeader, kColumns, /*resume=*/true);
    EXPECT_EQ(w.held(), (std::vector<uint64_t>{3, 4, 5}));
    w.append(okRun(6, 0.75));
  }
  read = sim::readShardFile(file);
  ASSERT_EQ(read.records.size(), 4u);
  EXPECT_EQ(read.records[3].index, 6u);
  EXPECT_EQ(read.records[3].drawn[0], 0.75);
  EXPECT_EQ(read.unread, 1u);  // the torn row, now a line of its own

  // Without resume the file starts afresh.
  { sim::ShardWriter w(file, kHeader, kColumns); }
  EXPECT_TRUE(sim::readShardFile(file).records.empty());
}

TEST_F(ShardFiles, FilesOfAnotherCampaignOrNoShardAtAllAreRefusedByName) {
  const std::string file = path("shard-1-of-3.csv");
  { sim::ShardWriter w(file, kHeader, kColumns); }
  const std::string good = text(file);
  for (auto change : {&sim::ShardHeader::identity, &sim::ShardHeader::campaign}) {
    sim::ShardHeader other = kHeader;
    other.*change = "ffff";
    if (change == &sim::ShardHeader::campaign) {
      // Named otherwise on the command line, the same campaign resumes.
      EXPECT_NO_THROW(sim::ShardWriter(file, other, kColumns, true));
    } else {
      EXPECT_THROW(sim::ShardWriter(file, other, kColumns, true), sim::ShardError);
    }
  }
  sim::ShardHeader otherShard = kHeader;
  otherShard.shards = 4;
  EXPECT_THROW(sim::ShardWriter(file, otherShard, kColumns, true), sim::ShardError);
  sim::RunColumns otherColumns = kColumns;
  otherColumns.expectations.push_back("new");
  EXPECT_THROW(sim::ShardWriter(file, kHeader, otherColumns, true), sim::ShardError);

  const std::string notShards[] = {
      "",
      "run,seed,status,reason\n",
      good.substr(0, good.find('\n') + 1),  // no header yet
      "# gyrelle-sim campaign a.toml identity=1 runs=10 seed=7 shard=3/3 drawn=0 "
      "expectations=0\nrun,seed,status,reason\n",  // no shard 3 of 3
      "# gyrelle-sim campaign a.toml identity=1 runs=10 seed=7 shard=0/3\n"
      "run,seed,status,reason\n",  // the column counts missing
      "# gyrelle-sim campaign a.toml identity=1 runs=10 seed=7 shard=0/3 drawn=2 "
      "expectations=0\nrun,seed,status,reason,x\n",  // fewer columns than it counts
  };
  for (const std::string& t : notShards) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << t;
    try {
      sim::readShardFile(file);
      ADD_FAILURE() << "read as a shard file: " << t;
    } catch (const sim::ShardError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(file + ": not a campaign shard file", 0), 0u)
          << e.what();
    }
  }
  EXPECT_THROW(sim::readShardFile(path("none.csv")), sim::ShardError);
}

TEST_F(ShardFiles, OfTwoRowsOfOneRunTheKeptOneDoesNotDependOnTheirOrder) {
  RunRecord stopped{2, 62, RunStatus::TimeLimit, "", {0.5}, {}, {}};
  RunRecord flown = okRun(2, 0.5);
  RunRecord crashedA{2, 62, RunStatus::Crashed, "signal 9", {0.5}, {}, {}};
  RunRecord crashedB{2, 62, RunStatus::Crashed, "signal 11", {0.5}, {}, {}};
  const std::pair<const RunRecord*, const RunRecord*> pairs[] = {
      {&stopped, &flown}, {&crashedA, &flown}, {&crashedA, &crashedB}, {&flown, &flown}};
  const RunRecord* kept[] = {&flown, &flown, &crashedB, &flown};
  for (size_t i = 0; i < std::size(pairs); ++i) {
    const auto [a, b] = pairs[i];
    const std::string want = sim::formatRow(*kept[i], kColumns);
    EXPECT_EQ(sim::formatRow(sim::keptOf(*a, *b, kColumns), kColumns), want);
    EXPECT_EQ(sim::formatRow(sim::keptOf(*b, *a, kColumns), kColumns), want);

    const std::string file = path("dup.csv");
    {
      sim::ShardWriter w(file, kHeader, kColumns);
      w.append(*b);
      w.append(okRun(1, 0.1));
      w.append(*a);
    }
    const sim::ShardContents read = sim::readShardFile(file);
    EXPECT_EQ(read.duplicates, 1u);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(sim::formatRow(read.records[1], kColumns), want);
  }
}

TEST(ShardRuns, ShardsSplitTheRunsIntoContiguousNearlyEqualParts) {
  const std::pair<uint64_t, uint64_t> cases[] = {
      {10, 3}, {1000, 7}, {2, 5}, {1, 1}, {~uint64_t(0), 3}, {~uint64_t(0) - 5, 1000}};
  for (auto [runs, shards] : cases) {
    uint64_t next = 0;
    for (uint64_t i = 0; i < shards; ++i) {
      const auto [from, to] = sim::shardRuns(runs, i, shards);
      EXPECT_EQ(from, next) << runs << " " << i << "/" << shards;
      EXPECT_LE(to - from, runs / shards + 1);
      EXPECT_GE(to - from, runs / shards);
      next = to;
    }
    EXPECT_EQ(next, runs);
  }
}

}  // namespace
