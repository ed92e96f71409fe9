// --record: a live session written as a scenario repeats the flight, also
// when the server was killed mid-flight.
#include <atomic>
#include <cmath>
#include <regex>

#include "serve/live_server.h"
#include "sim/sim_run.h"

namespace {

using namespace std::chrono_literals;
using servetest::LiveServer;

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class RecordReplay : public simtest::SimRun {};

TEST_F(RecordReplay, RecordedActionsReplayedGiveTheSameDumpAndTelemetry) {
  std::string scenario = servetest::kOneScreen;
  scenario.replace(scenario.find("until = 100000.0"), 16, "until = 4.0");
  // A scripted event at a time the person also acts, to pin the order.
  scenario += "\n[[event]]\nt = 2.0\nkey = 46\n";
  const std::string path = writeScenario("live.toml", scenario);
  {
    LiveServer server(
        path, {"--speed", "1", "--record", this->path("record.toml"), "--dump",
               this->path("live-dump.txt"), "--telemetry", this->path("live-telemetry.csv")});
    ASSERT_TRUE(server.up());
    ASSERT_TRUE(server.started());
    // Held while the person acts, so that a loaded machine cannot end the
    // flight first; every action is recorded at the time it was applied.
    ASSERT_EQ(server.post("/api/sim", R"({"pause": true})").first, 200);
    // A state that shows the pause is the last one; step on to the event's time.
    const double tp =
        server.untilState([](const servetest::json& s) { return s["paused"] == true; })["t"];
    const int steps = int(std::lround((2.0 - tp) / 0.02));
    if (steps > 0) {
      ASSERT_EQ(server.post("/api/sim", "{\"step\": " + std::to_string(steps) + "}").first, 200);
      server.untilState(
          [](const servetest::json& s) { return s["t"].get<double>() >= 2.0 - 1e-9; });
    }
    ASSERT_EQ(server.post("/api/button", R"({"button": "HLD"})").first, 200);
    ASSERT_EQ(server.post("/api/key", R"({"key": "P"})").first, 200);
    ASSERT_EQ(server.post("/api/input", R"({"text": "-10.5"})").first, 200);
    ASSERT_EQ(server.post("/api/key", R"({"key": 21})").first, 200);
    ASSERT_EQ(server.post("/api/input", R"({"cancel": true})").first, 200);
    ASSERT_EQ(server.post("/api/button", R"({"button": 2, "release": true})").first, 200);
    // The screen's mode taken away and given back.
    ASSERT_EQ(server.post("/api/mode", R"({"mode": "none"})").first, 200);
    ASSERT_EQ(server.post("/api/mode", R"({"mode": "Gyrelle"})").first, 200);
    ASSERT_EQ(server.post("/api/sim", R"({"pause": false, "speed": 0})").first, 200);
    server.untilState([](const servetest::json& s) { return s["running"] == false; });
    server.signal(SIGINT);
    ASSERT_EQ(server.wait(std::chrono::seconds(30)), 0);
  }
  const std::string record = simtest::readFile(this->path("record.toml"));
  ASSERT_NE(record.find("input = \"-10.5\""), std::string::npos) << record;
  ASSERT_NE(record.find("button = 5"), std::string::npos) << record;
  ASSERT_NE(record.find("mode = \"none\""), std::string::npos) << record;
  ASSERT_NE(record.find("mode = \"Gyrelle\""), std::string::npos) << record;
  // Every time as the scenario would write it, the end too.
  const std::string actions = record.substr(record.find("# ---- actions taken live ----"));
  EXPECT_EQ(count(actions, "\nt = 2.0\n"), 8u) << record;
  EXPECT_NE(record.find("ended at t = 4.0 s: replay with --until 4.0\n"), std::string::npos)
      << record;

  const simtest::RunResult replay =
      run({this->path("record.toml"), "--until", "4", "--dump", this->path("replay-dump.txt"),
           "--telemetry", this->path("replay-telemetry.csv"), "--quiet"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  const std::string live = simtest::readFile(this->path("live-dump.txt"));
  ASSERT_NE(live.find("(Hold)"), std::string::npos);
  EXPECT_TRUE(live == simtest::readFile(this->path("replay-dump.txt")))
      << "the replayed dump differs from the live one";
  EXPECT_TRUE(simtest::readFile(this->path("live-telemetry.csv")) ==
              simtest::readFile(this->path("replay-telemetry.csv")));
}

// Killed at any moment, the record holds every action answered, each whole,
// and replays: clients keep acting while the server is killed.
TEST_F(RecordReplay, ARecordKilledMidFlightReplays) {
  const std::string scenario = writeScenario("live.toml", servetest::kOneScreen);
  LiveServer server(scenario, {"--speed", "4", "--record", path("record.toml")});
  ASSERT_TRUE(server.up());
  ASSERT_TRUE(server.started());
  std::atomic<int> answered{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 4; ++c)
    clients.emplace_back([&, c] {
      const char* bodies[] = {R"({"key": 0})", R"({"button": "HLD"})", R"({"key": "P"})",
                              R"({"text": "-10.5"})"};
      for (int i = 0; !stop; ++i)
        if (server.post(c % 2 ? "/api/button" : "/api/key", bodies[c % 2]).first == 200) ++answered;
    });
  std::this_thread::sleep_for(700ms);
  server.kill();
  stop = true;
  for (std::thread& t : clients) t.join();

  const std::string record = simtest::readFile(path("record.toml"));
  const size_t events = count(record, "[[event]]");
  EXPECT_GE(events, size_t(answered.load())) << "an answered action is missing";
  EXPECT_LE(events, size_t(answered.load()) + clients.size());
  ASSERT_GT(events, 10u) << "too few actions to tell";
  EXPECT_EQ(record.back(), '\n') << "the record ends inside an action";
  // Replayed up to its last action's time, exactly as written.
  const std::string last = record.substr(record.rfind("\nt = ") + 5);
  const std::string until = last.substr(0, last.find('\n'));
  EXPECT_TRUE(std::regex_match(until, std::regex(R"(\d+\.\d{1,2})"))) << until;
  const simtest::RunResult replay = run({path("record.toml"), "--until", until, "--quiet"});
  EXPECT_EQ(replay.status, 0) << replay.err;
}

}  // namespace
