// The HTTP API of gyrelle-sim --serve, against a live server on loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cmath>

#include "serve/live_server.h"

namespace {

using namespace std::chrono_literals;
using servetest::json;
using servetest::LiveServer;
using servetest::page;

class LiveApi : public servetest::LiveFlight {};

// t as the scenario writes the time of its step (0.02 s): "1.3", never
// 1.3000000000000003; a whole number as "2.0", as JSON prints a float.
std::string stepTime(double t) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", double(std::llround(t / 0.02)) * 0.02);
  std::string s = text;
  return s.find('.') == std::string::npos ? s + ".0" : s;
}

TEST_F(LiveApi, KeyButtonTypedOffsetAndCancelShowAsTheScriptedEventsWould) {
  json s = server->state();
  ASSERT_FALSE(s.is_null());
  EXPECT_EQ(page(s).find("(Hold)"), std::string::npos);
  ASSERT_EQ(s["screens"][0]["buttons"][5], "HLD");

  auto [status, r] = server->post("/api/button", R"({"screen": 0, "button": "HLD"})");
  ASSERT_EQ(status, 200) << r;
  EXPECT_EQ(r["button"], 5);
  EXPECT_TRUE(r["taken"]);
  EXPECT_NE(page(server->state()).find("Attitude (Hold)"), std::string::npos)
      << page(server->state());

  // P opens the pitch box; the typed text sets the offset and closes it.
  std::tie(status, r) = server->post("/api/key", R"({"screen": 0, "key": "P"})");
  ASSERT_EQ(status, 200) << r;
  s = server->state();
  ASSERT_TRUE(s["screens"][0]["input"].is_object());
  EXPECT_EQ(s["screens"][0]["input"]["title"], "Select Pitch");
  std::tie(status, r) = server->post("/api/input", R"({"screen": 0, "text": "-10.5"})");
  ASSERT_EQ(status, 200) << r;
  s = server->state();
  EXPECT_TRUE(s["screens"][0]["input"].is_null());
  EXPECT_NE(page(s).find("Set Pitch -10.50"), std::string::npos) << page(s);

  // Y by its scan code opens the yaw box; cancel closes it and changes nothing.
  std::tie(status, r) = server->post("/api/key", R"({"screen": 0, "key": 21})");
  ASSERT_EQ(status, 200) << r;
  EXPECT_EQ(server->state()["screens"][0]["input"]["title"], "Select Yaw");
  std::tie(status, r) = server->post("/api/input", R"({"screen": 0, "cancel": true})");
  ASSERT_EQ(status, 200) << r;
  s = server->state();
  EXPECT_TRUE(s["screens"][0]["input"].is_null());
  EXPECT_NE(page(s).find("Set Yaw  +0.00"), std::string::npos) << page(s);
  // With no box open, an answer cannot act.
  EXPECT_EQ(server->post("/api/input", R"({"cancel": true})").first, 409);
}

TEST_F(LiveApi, AScreenTakesItsModeAwayAndBackAndTheStateListsTheModes) {
  json s = server->state();
  ASSERT_EQ(s["modes"], json::array({"Gyrelle"}));
  auto [status, r] = server->post("/api/mode", R"({"screen": 0, "mode": "none"})");
  ASSERT_EQ(status, 200) << r;
  EXPECT_TRUE(r["taken"]);
  s = server->state();  // the answer came once the state shows it
  EXPECT_EQ(s["screens"][0]["mode"], "");
  EXPECT_EQ(s["screens"][0]["page"], json::array());

  // A mode nobody registered changes nothing and names the ones there are.
  std::tie(status, r) = server->post("/api/mode", R"({"screen": 0, "mode": "Gyrelle2"})");
  EXPECT_EQ(status, 400);
  EXPECT_NE(r["error"].get<std::string>().find("\"Gyrelle\""), std::string::npos) << r;
  EXPECT_EQ(server->state()["screens"][0]["mode"], "");

  std::tie(status, r) = server->post("/api/mode", R"({"mode": "Gyrelle"})");
  ASSERT_EQ(status, 200) << r;
  s = server->state();
  EXPECT_EQ(s["screens"][0]["mode"], "Gyrelle");
  EXPECT_NE(page(s).find("Ref Mode"), std::string::npos) << page(s);
  EXPECT_EQ(s["screens"][0]["buttons"][5], "HLD");
}

TEST_F(LiveApi, AnswersAgreeWithTheStateAPauseHoldsAndStepsAreExact) {
  // The answer comes once the state shows the pause, and no step follows it.
  auto [status, r] = server->post("/api/sim", R"({"pause": true})");
  ASSERT_EQ(status, 200) << r;
  EXPECT_TRUE(r["paused"]);
  json s = server->state();
  EXPECT_TRUE(s["paused"]);
  EXPECT_EQ(s["t"], r["t"]);
  const double t0 = r["t"];
  EXPECT_EQ(r["t"].dump(), stepTime(t0));

  // Actions while paused are applied where the flight stands.
  for (int i = 0; i < 20; ++i) ASSERT_EQ(server->post("/api/key", R"({"key": 0})").first, 200);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(server->state()["t"], r["t"]) << "actions moved a paused flight";

  // 50 steps: the answer is the state that shows them, its time printed as
  // the scenario would.
  std::tie(status, r) = server->post("/api/sim", R"({"step": 50})");
  ASSERT_EQ(status, 200) << r;
  s = server->state();
  EXPECT_EQ(r["t"], s["t"]);
  EXPECT_EQ(s["t"].dump(), stepTime(t0 + 50 * 0.02));
  std::this_thread::sleep_for(300ms);  // and not one step more
  EXPECT_EQ(server->state()["t"], s["t"]);
  // An action's answer tells its time so too.
  std::tie(status, r) = server->post("/api/key", R"({"key": 0})");
  ASSERT_EQ(status, 200) << r;
  EXPECT_EQ(r["t"].dump(), stepTime(t0 + 50 * 0.02));

  // As fast as possible: far ahead of the wall clock.
  using Clock = std::chrono::steady_clock;
  auto rate = [&](std::chrono::milliseconds over) {  // simulated seconds per wall second
    const double ta = server->state()["t"];
    const auto wa = Clock::now();
    std::this_thread::sleep_for(over);
    const double tb = server->state()["t"];
    return (tb - ta) / std::chrono::duration<double>(Clock::now() - wa).count();
  };
  ASSERT_EQ(server->post("/api/sim", R"({"pause": false, "speed": 0})").first, 200);
  EXPECT_GT(rate(std::chrono::milliseconds(1000)), 20.0);

  // 10x real time: far from 1x and from as fast as possible (the run at speed 0
  // above went well beyond 20x). Pacing never runs ahead, so the upper bound is
  // tight; a loaded machine may fall behind, so the lower one is loose.
  // Measured from a state the flight published at the new speed, a step or
  // more after the change: however long a loaded machine takes to get there.
  std::tie(status, r) = server->post("/api/sim", R"({"speed": 10})");
  ASSERT_EQ(status, 200) << r;
  const double changedAt = r["t"];
  ASSERT_FALSE(server
                   ->untilState([&](const json& st) {
                     return st["speed"] == 10.0 && st["t"].get<double>() > changedAt;
                   })
                   .is_null());
  const double at10 = rate(std::chrono::milliseconds(2000));
  EXPECT_GT(at10, 3.0);
  EXPECT_LT(at10, 11.0);
  EXPECT_EQ(server->state()["speed"], 10.0);
}

TEST_F(LiveApi, BadRequestsGetAMessageAndChangeNothing) {
  const struct {
    const char* path;
    const char* body;
    int status;
  } cases[] = {
      {"/api/key", "not json", 400},
      {"/api/key", "[35]", 400},
      {"/api/key", R"({"screen": 0})", 400},
      {"/api/key", R"({"screen": 1, "key": 35})", 400},  // one screen only
      {"/api/key", R"({"screen": -1, "key": 35})", 400},
      {"/api/key", R"({"screen": 0, "key": 999})", 400},
      {"/api/key", R"({"screen": 0, "key": 35.5})", 400},
      {"/api/key", R"({"screen": 0, "key": "NoSuchKey"})", 400},
      {"/api/key", R"({"screen": 0, "key": 35, "extra": 1})", 400},
      {"/api/button", R"({"screen": 0, "button": "XYZ"})", 400},  // no such label
      {"/api/button", R"({"screen": 0, "button": 64})", 400},
      {"/api/button", R"({"screen": 0, "button": ""})", 400},
      {"/api/input", R"({"screen": 0})", 400},
      {"/api/input", R"({"screen": 0, "text": "1", "cancel": true})", 400},
      {"/api/input", R"({"screen": 0, "text": "1\n2"})", 400},
      {"/api/input", R"({"screen": 0, "cancel": false})", 400},
      {"/api/mode", R"({"screen": 0})", 400},
      {"/api/mode", R"({"screen": 1, "mode": "Gyrelle"})", 400},
      {"/api/mode", R"({"screen": 0, "mode": ""})", 400},
      {"/api/mode", R"({"screen": 0, "mode": 1})", 400},
      {"/api/mode", R"({"screen": 0, "mode": "Nope"})", 400},
      {"/api/mode", R"({"screen": 0, "mode": "Gyrelle", "key": 35})", 400},
      {"/api/sim", R"({})", 400},
      {"/api/sim", R"({"speed": -1})", 400},
      {"/api/sim", R"({"speed": 1e300})", 400},
      {"/api/sim", R"({"step": 0})", 400},
      {"/api/sim", R"({"pause": "yes"})", 400},
      // Every number taken is checked: type, sign, size, whole or not.
      {"/api/sim", R"({"speed": -0.0})", 400},
      {"/api/sim", R"({"speed": 0.001})", 400},  // a step would take 20 s
      {"/api/sim", R"({"speed": "10"})", 400},
      {"/api/sim", R"({"speed": true})", 400},
      {"/api/sim", R"({"speed": 1e400})", 400},
      {"/api/sim", R"({"speed": NaN})", 400},
      {"/api/sim", R"({"step": 1.0})", 400},
      {"/api/sim", R"({"step": 1e1})", 400},
      {"/api/sim", R"({"step": -0.0})", 400},
      {"/api/sim", R"({"step": 10001})", 400},
      {"/api/sim", R"({"step": 18446744073709551615})", 400},
      {"/api/sim", R"({"step": 18446744073709551617})", 400},
      {"/api/key", R"({"screen": -0.0, "key": 35})", 400},
      {"/api/key", R"({"screen": 0.0, "key": 35})", 400},
      {"/api/key", R"({"screen": 9223372036854775808, "key": 35})", 400},
      {"/api/key", R"({"screen": 0, "key": 35.0})", 400},
      {"/api/key", R"({"screen": 0, "key": true})", 400},
      {"/api/key", R"({"screen": 0, "key": 18446744073709551651})", 400},  // 2^64 + 35
      {"/api/button", R"({"screen": 0, "button": 5.0})", 400},
      {"/api/button", R"({"screen": 0, "button": null})", 400},
      {"/api/button", R"({"screen": 0, "button": 5, "release": 1})", 400},
  };
  for (const auto& c : cases) {
    const auto [status, r] = server->post(c.path, c.body);
    EXPECT_EQ(status, c.status) << c.path << " " << c.body;
    EXPECT_TRUE(r.contains("error") && !r["error"].get<std::string>().empty())
        << c.path << " " << c.body << " -> " << r;
  }
  // An input text over the host's buffer.
  EXPECT_EQ(server->post("/api/input", json{{"text", std::string(300, '1')}}.dump()).first, 400);
  // A body that is not JSON by its type, or compressed, and one over the size limit.
  auto c = server->client();
  EXPECT_EQ(c->Post("/api/key", R"({"key": 35})", "text/plain")->status, 415);
  EXPECT_EQ(c->Post("/api/key", R"({"key": 35})", "application/jsonp")->status, 415);
  EXPECT_EQ(
      c->Post("/api/key", {{"Content-Encoding", "gzip"}}, R"({"key": 35})", "application/json")
          ->status,
      415);
  EXPECT_EQ(c->Put("/api/key", R"({"key": 35})", "application/json")->status, 405);
  EXPECT_EQ(c->Post("/api/key", std::string(100000, ' '), "application/json")->status, 413);
  EXPECT_EQ(c->Get("/../../etc/passwd")->status, 404);
  EXPECT_EQ(c->Get("/%2e%2e/%2e%2e/etc/passwd")->status, 404);

  const json s = server->state();
  ASSERT_FALSE(s.is_null()) << "the server must still answer";
  EXPECT_EQ(page(s).find("(Hold)"), std::string::npos);
  EXPECT_TRUE(s["screens"][0]["input"].is_null());
}

TEST_F(LiveApi, PagesOfOtherSitesAndForeignHostNamesAreRefused) {
  const auto [status, r] =
      server->post("/api/button", R"({"button": "HLD"})", {{"Origin", "http://evil.example"}});
  EXPECT_EQ(status, 403);
  EXPECT_NE(r["error"].get<std::string>().find("another site"), std::string::npos) << r;
  // Another port of this machine is another site too.
  EXPECT_EQ(
      server->post("/api/button", R"({"button": "HLD"})", {{"Origin", "http://127.0.0.1:1"}}).first,
      403);
  EXPECT_EQ(page(server->state()).find("(Hold)"), std::string::npos);

  // DNS rebinding: a foreign name pointing here.
  auto c = server->client();
  c->set_default_headers({{"Host", "rebind.example:" + std::to_string(server->port())}});
  EXPECT_EQ(c->Get("/api/state")->status, 403);
  EXPECT_EQ(c->Get("/")->status, 403);

  // The page's own origin drives it.
  EXPECT_EQ(
      server->post("/api/button", R"({"button": "HLD"})", {{"Origin", "http://" + server->host()}})
          .first,
      200);
  EXPECT_NE(page(server->state()).find("(Hold)"), std::string::npos);
}

TEST_F(LiveApi, ReadersThatStopReadingDoNotSlowTheFlight) {
  // Clients that ask for the stream and never read it.
  std::vector<int> stalled;
  for (int i = 0; i < 3; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    int small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(server->port()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const std::string req = "GET /api/stream HTTP/1.1\r\nHost: " + server->host() + "\r\n\r\n";
    ASSERT_EQ(send(fd, req.data(), req.size(), 0), ssize_t(req.size()));
    stalled.push_back(fd);
  }
  const double t0 = server->state()["t"];
  const auto wall0 = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const double t1 = server->state()["t"];
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  // Paced at 1x, the flight keeps up with the wall clock. Waiting on a stalled
  // reader would hold it for the whole window (their writes time out after
  // 2 s, and every publication would wait again); half of real time leaves
  // room for a loaded machine.
  EXPECT_GT(t1 - t0, 0.5 * wall) << "the flight fell behind while readers stalled";
  // And the API still answers, well within a stalled write's timeout.
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(server->post("/api/button", R"({"button": "HLD"})").first, 200);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1500));
  // The stalled readers were dropped: reading now finds the end of their stream.
  for (int fd : stalled) {
    timeval limit{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char buffer[65536];
    ssize_t n = 0;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
    }
    EXPECT_EQ(n, 0) << "the server still holds a stream nobody reads";
    close(fd);
  }
}

// A flight that reached its end: the cockpit keeps showing its last state,
// what would act is answered 503, and the server runs until interrupted.
class EndedFlight : public simtest::SimRun {};

TEST_F(EndedFlight, ItsLastStateIsServedUntilInterrupted) {
  std::string scenario = servetest::kOneScreen;
  scenario.replace(scenario.find("until = 100000.0"), 16, "until = 1.3");
  LiveServer server(writeScenario("ended.toml", scenario), {"--speed", "0"});
  ASSERT_TRUE(server.up());
  const json last = server.untilState([](const json& s) { return s["running"] == false; });
  ASSERT_FALSE(last.is_null());
  EXPECT_EQ(last["t"].dump(), "1.3");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(server.state(), last);
  EXPECT_EQ(server.post("/api/key", R"({"key": 0})").first, 503);
  EXPECT_EQ(server.post("/api/sim", R"({"pause": true})").first, 503);
  EXPECT_EQ(server.wait(0s), -1) << "the server went with its flight";
  server.signal(SIGTERM);
  EXPECT_EQ(server.wait(10s), 0) << "a finished flight ends well when its server is closed";
}

}  // namespace
