// A real gyrelle-sim --serve on loopback, started by the test and killed at
// the end; requests through cpp-httplib's client, or raw bytes on a socket.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_run.h"
#include "support/child_process.h"
#include "support/test_paths.h"

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
  LiveServer(const std::string& scenarioPath, const std::vector<std::string>& extra)
      : outPath_(scenarioPath + ".out"), errPath_(scenarioPath + ".err") {
    std::vector<std::string> args = {testsupport::envPath("GYRELLE_SIM_PATH"),
                                     scenarioPath,
                                     "--module",
                                     testsupport::envPath("GYRELLE_MODULE_PATH"),
                                     "--serve",
                                     "--port",
                                     "0",
                                     "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    child_ = std::make_unique<testsupport::ChildProcess>(args, outPath_, errPath_);
    // The address is printed before the flight starts; wait for it and then
    // for the first state. Generous: a loaded machine may take seconds to
    // load the module.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const std::string marker = "cockpit at http://127.0.0.1:";
    while (port_ == 0 && child_->running() && std::chrono::steady_clock::now() < limit) {
      std::ifstream out(outPath_);
      for (std::string line; std::getline(out, line);) {
        const size_t at = line.find(marker);
        if (at != std::string::npos && line.back() == '/')
          port_ = std::atoi(line.c_str() + at + marker.size());
      }
      if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    while (up() && !(started_ = !state().is_null()) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~LiveServer() {
    child_.reset();  // killed if it still runs
    std::filesystem::remove(outPath_);
    std::filesystem::remove(errPath_);
  }
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  int port() const { return port_; }
  bool up() const { return port_ > 0; }
  // The flight published its first state.
  bool started() const { return started_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  // Waits for the run to end; its exit status, -1 on timeout.
  int wait(std::chrono::seconds limit) { return child_->wait(limit).value_or(-1); }
  void signal(int number) { child_->signal(number); }
  void kill() { child_->kill(); }
  // [kB] the server's resident memory now, and the most it has had.
  long residentKb(const char* field = "VmRSS:") const {
    std::ifstream status("/proc/" + std::to_string(child_->pid()) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
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
  std::string outPath_, errPath_;  // its standard output and error
  std::unique_ptr<testsupport::ChildProcess> child_;
  int port_ = 0;
  bool started_ = false;
};

// The page of a screen as text, one line per entry.
inline std::string page(const json& state, size_t screen = 0) {
  std::string text;
  for (const auto& line : state["screens"][screen]["page"]) text += line.get<std::string>() + "\n";
  return text;
}

// A TCP connection to the server that sends exactly the bytes given.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~RawConnection() { close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  // Sends all of bytes; false when the server has closed or reset.
  bool send(const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0) return false;
      at += size_t(n);
    }
    return true;
  }
  // Whether an answer (or the end) is there to read within `wait`.
  bool readable(std::chrono::milliseconds wait) {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, int(wait.count())) > 0;
  }
  // Everything the server sends until it closes; `closed` says whether it did
  // within `limit`.
  std::string readToEnd(std::chrono::milliseconds limit, bool* closed = nullptr) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !readable(left)) break;
      char buffer[65536];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) {
        if (closed) *closed = true;
        return got;
      }
      got.append(buffer, size_t(n));
    }
    if (closed) *closed = false;
    return got;
  }

 private:
  int fd_;
  bool connected_ = false;
};

// The status of the first answer in what a raw connection read, 0 if none.
inline int statusOf(const std::string& answer) {
  return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

// A live server flying kOneScreen from the test's own temporary folder,
// which goes with the test.
class LiveFlight : public simtest::SimRun {
 protected:
  void SetUp() override {
    simtest::SimRun::SetUp();
    if (IsSkipped()) return;
    server = std::make_unique<LiveServer>(writeScenario("live.toml", kOneScreen),
                                          std::vector<std::string>{});
    ASSERT_TRUE(server->up());
    ASSERT_TRUE(server->started()) << "no state within a minute of start-up";
  }
  void TearDown() override {
    server.reset();
    simtest::SimRun::TearDown();
  }
  std::unique_ptr<LiveServer> server;
};

}  // namespace servetest
