// A real gyrelle-sim --serve on loopback, started by the test and stopped by
// its process id; requests through cpp-httplib's client.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace servetest {

using nlohmann::json;

// Earth, one generic vessel, one Gyrelle screen; long enough to be stopped by the test.
inline const char* kOneScreen = R"(
[sim]
step = 0.02
until = 100000.0
redraw = 0.5

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "Gyre-1"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7729.8, 0.0]

[[screen]]
mode = "Gyrelle"
)";

class LiveServer {
 public:
  // Starts gyrelle-sim SCENARIO --serve --port 0 with the extra arguments and
  // waits for the address line.
  LiveServer(const std::string& scenarioPath, const std::vector<std::string>& extra) {
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<std::string> args = {
        GYRELLE_SIM_PATH, scenarioPath, "--module", GYRELLE_MODULE_PATH,
        "--serve",        "--port",     "0",        "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    stdout_ = fdopen(out[0], "r");
    char line[256];
    const std::string marker = "cockpit at http://127.0.0.1:";
    while (pid_ > 0 && stdout_ && std::fgets(line, sizeof line, stdout_)) {
      const std::string l = line;
      const size_t at = l.find(marker);
      if (at == std::string::npos) continue;
      port_ = std::atoi(l.c_str() + at + marker.size());
      break;
    }
    // The rest of its output is read and dropped, so that the child never
    // blocks on a full pipe.
    if (stdout_)
      drain_ = std::thread([f = stdout_] {
        char buffer[4096];
        while (std::fread(buffer, 1, sizeof buffer, f) > 0) {
        }
      });
    // The address is printed before the flight starts; wait for its first
    // state. Generous: a loaded machine may take seconds to load the module.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (up() && !(started_ = !state().is_null()) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~LiveServer() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (drain_.joinable()) drain_.join();
    if (stdout_) std::fclose(stdout_);
  }
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  int port() const { return port_; }
  bool up() const { return port_ > 0; }
  // The flight published its first state.
  bool started() const { return started_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  // Waits for the run to end by itself; its exit status, -1 on timeout.
  int wait(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  std::unique_ptr<httplib::Client> client() const {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", port_);
    c->set_read_timeout(30, 0);
    return c;
  }

  json state() const {
    auto r = client()->Get("/api/state");
    if (!r || r->status != 200) return json();
    return json::parse(r->body);
  }

  // Polls the state until `ok` holds (a loaded machine may take a while);
  // the state that satisfied it, or null after 20 s.
  template <class Ok>
  json untilState(Ok ok) const {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit) {
      const json s = state();
      if (!s.is_null() && ok(s)) return s;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "the state never showed what was waited for";
    return json();
  }

  // POSTs a JSON body; the answer's status and body.
  std::pair<int, json> post(const std::string& path, const std::string& body,
                            const httplib::Headers& headers = {}) const {
    auto r = client()->Post(path.c_str(), headers, body, "application/json");
    if (!r) return {-1, json()};
    json j = json::parse(r->body, nullptr, false);
    return {r->status, j};
  }

 private:
  pid_t pid_ = -1;
  FILE* stdout_ = nullptr;
  int port_ = 0;
  bool exited_ = false;
  bool started_ = false;
  std::thread drain_;
};

// The page of a screen as text, one line per entry.
inline std::string page(const json& state, size_t screen = 0) {
  std::string text;
  for (const auto& line : state["screens"][screen]["page"]) text += line.get<std::string>() + "\n";
  return text;
}

// Named after the test and the process: ctest runs tests side by side, and a
// file shared between them would be rewritten while another server reads it.
inline std::string writeTemp(const std::string& name, const std::string& text) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "-" +
                           (test ? std::string(test->name()) + "-" : "") + name;
  std::ofstream(path) << text;
  return path;
}

}  // namespace servetest
