#include "sim/campaign/campaign_runner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/interrupt.h"
#include "sim/campaign/campaign_flight.h"
#include "sim/campaign/campaign_progress.h"
#include "sim/campaign/shard_file.h"

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;

// How often the parent looks at the time limits, the interruptions and the bar.
constexpr std::chrono::milliseconds kWatchEvery{50};

struct Worker {
  std::unique_ptr<ChildProcess> process;
  std::thread reader;
  std::optional<uint64_t> run;     // in flight
  Clock::time_point started;       // when the run in flight was handed out
  std::optional<uint64_t> killed;  // the run it was killed for, at the time limit
};

// What a worker's reading thread reports to the parent's loop.
struct Report {
  size_t worker = 0;
  std::optional<std::string> row;  // a row; none: the worker ended
  std::optional<uint64_t> run;     // the run it ended with in flight
  bool timedOut = false;           // killed at the time limit for that run
  std::string how;                 // how it ended
};

class Pool {
 public:
  // Room for `jobs` workers: their reading threads hold on to their places.
  Pool(const CampaignPlan& plan, const ShardRunOptions& o, std::deque<uint64_t> todo, size_t jobs)
      : plan_(plan), o_(o), todo_(std::move(todo)), workers_(jobs) {}

  ~Pool() { stopAll(); }

  // Starts worker i (again) and hands it a run, if any is left.
  void start(size_t i) {
    Worker& w = workers_[i];
    if (w.reader.joinable()) w.reader.join();
    w = Worker{};
    w.process = std::make_unique<ChildProcess>(
        o_.program, std::vector<std::string>{"campaign", plan_.settings().file, "--worker",
                                             "--module", o_.module});
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handOut(w);
    }
    w.reader = std::thread([this, i] { read(i); });
  }

  // Waits up to kWatchEvery for reports; returns those that came.
  std::deque<Report> reports() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kWatchEvery, [this] { return !reports_.empty(); });
    std::deque<Report> taken;
    taken.swap(reports_);
    return taken;
  }

  // Kills the workers whose run has taken longer than the limit.
  void enforceTimeLimit(double limit) {
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (Worker& w : workers_)
      if (w.run && !w.killed && std::chrono::duration<double>(now - w.started).count() > limit) {
        w.killed = w.run;
        w.process->kill();
      }
  }

  // No runs left to hand out, none in flight and no report unread.
  bool idle() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!todo_.empty() || !reports_.empty()) return false;
    return std::none_of(workers_.begin(), workers_.end(), [](const Worker& w) { return w.run; });
  }
  bool runsLeft() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !todo_.empty();
  }

  // Ends every worker: at the end of its input when finishing, killed when
  // stopping; waits for them.
  void finishAll() { endAll(false); }
  void stopAll() { endAll(true); }

  void joinReader(size_t i) {
    if (workers_[i].reader.joinable()) workers_[i].reader.join();
  }

 private:
  // With mutex_ held: the next run to worker w, if any.
  void handOut(Worker& w) {
    w.run.reset();
    if (todo_.empty() || stopping_ || w.killed) return;
    w.run = todo_.front();
    todo_.pop_front();
    w.started = Clock::now();
    // A worker gone already fails the write: its reader sees the end of its
    // output and reports the run.
    w.process->send(std::to_string(*w.run) + "\n");
  }

  // Worker i's reading thread: each row hands the worker its next run at
  // once, before the parent's loop takes the row, so that workers never wait
  // for the loop.
  void read(size_t i) {
    Worker& w = workers_[i];
    std::string line;
    while (w.process->readLine(line)) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (line.empty()) {  // ready: the run handed out starts now
        w.started = Clock::now();
        continue;
      }
      handOut(w);
      reports_.push_back(Report{i, line, std::nullopt, false, ""});
      changed_.notify_one();
    }
    const std::string how = w.process->wait();
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(Report{i, std::nullopt, w.run, w.run && w.killed == w.run, how});
    w.run.reset();
    changed_.notify_one();
  }

  void endAll(bool kill) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      for (Worker& w : workers_) {
        if (!w.process) continue;
        if (kill) w.process->kill();
        w.process->closeInput();
      }
    }
    for (Worker& w : workers_)
      if (w.reader.joinable()) w.reader.join();
  }

  const CampaignPlan& plan_;
  const ShardRunOptions& o_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<uint64_t> todo_;
  std::deque<Report> reports_;
  std::vector<Worker> workers_;
  bool stopping_ = false;
};

// The record of a run whose worker gave no row.
RunRecord failedRun(const CampaignPlan& plan, uint64_t k, RunStatus status,
                    const std::string& reason) {
  RunRecord r;
  r.index = k;
  r.seed = plan.runSeed(k);
  r.status = status;
  r.reason = reason;
  try {
    r.drawn = plan.run(k).drawn;
  } catch (const std::exception&) {
    // Not drawn: the run would have been an error.
  }
  return r;
}

bool failed(const RunRecord& r) {
  return r.status != RunStatus::Ok ||
         std::count(r.outcomes.begin(), r.outcomes.end(), Outcome::Failed) > 0;
}

std::string secondsText(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", s);
  return text;
}

}  // namespace

int flyShard(const CampaignPlan& plan, const ShardRunOptions& o) {
  const CampaignSettings& settings = plan.settings();
  const RunColumns columns = runColumns(plan);
  ShardWriter shard(
      o.shardFile,
      ShardHeader{settings.file, plan.identity(), settings.runs, settings.seed, o.shard, o.shards},
      columns, o.resume);
  const auto [first, last] = shardRuns(settings.runs, o.shard, o.shards);  // [first, last)
  const std::vector<uint64_t>& held = shard.held();                        // ascending
  std::deque<uint64_t> todo;
  for (uint64_t k = first; k < last; ++k)
    if (!std::binary_search(held.begin(), held.end(), k)) todo.push_back(k);
  if (todo.empty()) return 0;

  CampaignProgress progress(o.quiet, todo.size());
  uint64_t flown = 0, failures = 0;
  const size_t jobs = std::min<size_t>(std::max(1u, o.jobs), todo.size());
  Pool pool(plan, o, std::move(todo), jobs);
  for (size_t i = 0; i < jobs; ++i) pool.start(i);
  for (;;) {
    if (const int status = interruptStatus(); status != 0) {
      pool.stopAll();
      progress.clear();
      return status;
    }
    for (const Report& r : pool.reports()) {
      std::optional<RunRecord> record;
      if (r.row) {
        record = parseRow(*r.row, columns);
        if (!record) throw std::runtime_error("a worker wrote a row that is not one: " + *r.row);
      } else {
        pool.joinReader(r.worker);
        // Workers die with the parent's interruption (a Ctrl-C reaches the
        // whole process group): their runs are not theirs to fail.
        if (interruptStatus() != 0) continue;
        if (r.run)
          record = r.timedOut
                       ? failedRun(plan, *r.run, RunStatus::TimeLimit,
                                   "stopped after " + secondsText(o.timeLimit))
                       : failedRun(plan, *r.run, RunStatus::Crashed, "worker ended: " + r.how);
        if (pool.runsLeft()) pool.start(r.worker);
        if (!record) continue;
      }
      shard.append(*record);
      ++flown;
      if (failed(*record)) ++failures;
      progress.show(flown, failures);
    }
    pool.enforceTimeLimit(o.timeLimit);
    if (pool.idle()) break;
  }
  pool.finishAll();
  progress.clear();
  return 0;
}

}  // namespace sim
