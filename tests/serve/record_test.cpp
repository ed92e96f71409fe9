// --record: a live session written as a scenario repeats the flight.
#include <cmath>

#include "serve/live_server.h"
#include "sim/sim_run.h"

namespace {

using servetest::LiveServer;

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
    // The screen's mode taken away (a step is taken with it) and given back.
    ASSERT_EQ(server.post("/api/mode", R"({"mode": "none"})").first, 200);
    ASSERT_EQ(server.post("/api/mode", R"({"mode": "Gyrelle"})").first, 200);
    ASSERT_EQ(server.post("/api/sim", R"({"pause": false, "speed": 0})").first, 200);
    ASSERT_EQ(server.wait(std::chrono::seconds(30)), 0);
  }
  const std::string record = simtest::readFile(this->path("record.toml"));
  ASSERT_NE(record.find("input = \"-10.5\""), std::string::npos) << record;
  ASSERT_NE(record.find("button = 5"), std::string::npos) << record;
  ASSERT_NE(record.find("mode = \"none\""), std::string::npos) << record;
  ASSERT_NE(record.find("mode = \"Gyrelle\""), std::string::npos) << record;

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

}  // namespace
