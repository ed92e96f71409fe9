// The live cockpit's costs, against a real gyrelle-sim --serve on loopback
// flying the built-in scenario at 1x:
// - CPU of the paced flight while a real browser (headless chromium) shows
//   the cockpit page: the simulator's user + system time over the wall time,
//   as a share of one core (target: 5 %);
// - latency from POSTing a key to the stream showing its effect: H toggles the
//   hold, and the time runs until an event whose page shows the new state
//   (target: 100 ms at 1x).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/beside_executable.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A child process, killed by its id when it goes out of scope.
struct Child {
  pid_t pid = -1;
  FILE* out = nullptr;
  explicit Child(std::vector<std::string> args, bool pipeOut) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (pipeOut && pipe(fds) == 0) {
      posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
      posix_spawn_file_actions_addclose(&fa, fds[0]);
    } else {
      posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    if (fds[1] >= 0) {
      close(fds[1]);
      out = fdopen(fds[0], "r");
    }
  }
  ~Child() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out) std::fclose(out);
  }
};

// gyrelle-sim --serve on any free port; port() after the address line.
struct Simulator : Child {
  int port = 0;
  Simulator()
      : Child({besideExecutable("gyrelle-sim"), "--module", besideExecutable("libgyrelle.so"),
               "--serve", "--port", "0", "--quiet", "--until", "100000"},
              true) {
    char line[256];
    const std::string marker = "cockpit at http://127.0.0.1:";
    while (out && std::fgets(line, sizeof line, out)) {
      const std::string l = line;
      if (l.find(marker) == std::string::npos) continue;
      port = std::atoi(l.c_str() + l.find(marker) + marker.size());
      break;
    }
    httplib::Client c("127.0.0.1", port);
    for (int i = 0; i < 250; ++i) {  // the first state
      auto r = c.Get("/api/state");
      if (r && r->status == 200) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
};

// The process's user + system CPU time [s].
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t close = text.rfind(')');  // the name may hold blanks
  if (close == std::string::npos) return 0.0;
  std::istringstream fields(text.substr(close + 2));
  std::string f;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i) {
    if (i == 14) utime = std::stoull(f);
    if (i == 15) stime = std::stoull(f);
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void BM_PacedFlightCpuWithBrowser(benchmark::State& state) {
  Simulator sim;
  if (sim.port == 0) return state.SkipWithError("gyrelle-sim --serve did not start");
  if (access("/usr/bin/chromium", X_OK) != 0) return state.SkipWithError("no /usr/bin/chromium");
  char profile[] = "/tmp/gyrelle-bench-XXXXXX";
  if (!mkdtemp(profile)) return state.SkipWithError("no temporary folder");
  Child browser(
      {"/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
       "--no-first-run", "--disable-background-networking", "--disable-component-update",
       "--disable-sync", "--enable-unsafe-swiftshader", std::string("--user-data-dir=") + profile,
       "http://127.0.0.1:" + std::to_string(sim.port) + "/"},
      false);
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the page loads and connects
  const double window = double(state.range(0));          // [s] of wall time measured
  for (auto _ : state) {
    const double cpu0 = cpuSeconds(sim.pid);
    const auto wall0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(window));
    const double cpu = cpuSeconds(sim.pid) - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    state.SetIterationTime(wall);
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
  }
  std::filesystem::remove_all(profile);
}
BENCHMARK(BM_PacedFlightCpuWithBrowser)
    ->Arg(10)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Reads /api/stream on a thread of its own; `saw` tells whether the newest
// event holds a text.
class StreamReader {
 public:
  explicit StreamReader(int port) : client_("127.0.0.1", port) {
    thread_ = std::thread([this] {
      client_.Get("/api/stream", [this](const char* data, size_t n) {
        buffer_.append(data, n);
        for (size_t end; (end = buffer_.find("\n\n")) != std::string::npos;) {
          const std::string event = buffer_.substr(0, end);
          buffer_.erase(0, end + 2);
          if (event.rfind("data: ", 0) != 0) continue;
          std::lock_guard<std::mutex> lock(mutex_);
          hold_ = event.find("(Hold)") != std::string::npos;
          ++events_;
          changed_.notify_all();
        }
        return !stop_;
      });
    });
  }
  ~StreamReader() {
    stop_ = true;
    client_.stop();
    thread_.join();
  }
  // Waits until an event arrives whose hold state is `hold`; false on timeout.
  bool waitHold(bool hold, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return events_ > 0 && hold_ == hold; });
  }
  bool hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    return hold_;
  }

 private:
  httplib::Client client_;
  std::thread thread_;
  std::string buffer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool hold_ = false;
  uint64_t events_ = 0;
  std::atomic<bool> stop_{false};
};

void BM_KeyToStreamLatency(benchmark::State& state) {
  Simulator sim;
  if (sim.port == 0) return state.SkipWithError("gyrelle-sim --serve did not start");
  StreamReader reader(sim.port);
  if (!reader.waitHold(false, std::chrono::milliseconds(3000)) && !reader.hold())
    return state.SkipWithError("no stream");
  httplib::Client c("127.0.0.1", sim.port);
  double worst = 0.0;
  for (auto _ : state) {
    const bool wanted = !reader.hold();
    const auto start = Clock::now();
    auto r = c.Post("/api/key", R"({"screen": 0, "key": "H"})", "application/json");
    if (!r || r->status != 200) return state.SkipWithError("the key was refused");
    if (!reader.waitHold(wanted, std::chrono::milliseconds(2000)))
      return state.SkipWithError("the stream never showed the key's effect");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    worst = std::max(worst, seconds);
    state.SetIterationTime(seconds);
    // Keys at random phases of the 50 ms publishing period.
    std::this_thread::sleep_for(std::chrono::milliseconds(37));
  }
  state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_KeyToStreamLatency)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
