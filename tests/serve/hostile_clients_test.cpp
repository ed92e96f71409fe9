// gyrelle-sim --serve against clients that mean harm or are merely slow, on
// raw sockets: requests smuggled behind refused ones, bodies over the limit
// however framed, slow and idle connections by the hundred, floods of actions.
#include <atomic>

#include "serve/live_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using servetest::json;
using servetest::RawConnection;
using servetest::statusOf;

class HostileClients : public servetest::LiveFlight {
 protected:
  std::string head(const std::string& requestLine, const std::string& fields) const {
    return requestLine + "\r\nHost: " + server->host() + "\r\n" + fields + "\r\n";
  }
  // A request that would pause the flight, without Origin: it must never be
  // parsed when it rides behind a refused one.
  std::string smuggled() const {
    return head("POST /api/sim HTTP/1.1",
                "Content-Type: application/json\r\nContent-Length: 15\r\n") +
           R"({"pause": true})";
  }
};

std::string chunked(const std::string& body) {
  char size[16];
  std::snprintf(size, sizeof size, "%zx\r\n", body.size());
  return size + body + "\r\n0\r\n\r\n";
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(HostileClients, ARefusedRequestIsRefusedWholeAndNothingAfterItIsParsed) {
  // Past the 4 KiB the library reads at a time, as a page of another site
  // sends it with fetch(..., {mode: "no-cors"}).
  const std::string filler(5000, 'x');
  const std::string inBody = filler + smuggled();
  const std::string length = "Content-Length: " + std::to_string(inBody.size()) + "\r\n";
  const std::string foreign = "Origin: http://127.0.0.2:8000\r\n";
  const struct {
    const char* what;
    std::string request;
    int status;
  } cases[] = {
      {"another site's page, the smuggled request inside its body",
       head("POST /api/sim HTTP/1.1", foreign + "Content-Type: text/plain\r\n" + length) + inBody,
       403},
      {"not JSON", head("POST /api/sim HTTP/1.1", "Content-Type: text/plain\r\n" + length) + inBody,
       415},
      {"another site's page, chunked",
       head("POST /api/key HTTP/1.1",
            foreign + "Content-Type: text/plain\r\nTransfer-Encoding: chunked\r\n") +
           chunked(inBody),
       403},
      {"not JSON, the smuggled request after its body",
       head("POST /api/sim HTTP/1.1", "Content-Type: text/plain\r\nContent-Length: 10\r\n") +
           filler.substr(0, 10) + smuggled(),
       415},
      {"no such call",
       head("POST /api/nothing HTTP/1.1", "Content-Type: application/json\r\n" + length) + inBody,
       404},
      {"a method not answered", head("PUT /api/sim HTTP/1.1", length) + inBody, 405},
      {"a URI over the library's limit",
       head("GET /" + filler + filler + " HTTP/1.1", "") + smuggled(), 414},
      {"length framed two ways",
       head("POST /api/sim HTTP/1.1",
            "Content-Type: application/json\r\n" + length + "Transfer-Encoding: chunked\r\n") +
           chunked(inBody),
       400},
      {"no length",
       head("POST /api/sim HTTP/1.1", "Content-Type: application/json\r\n") + smuggled(), 411},
      {"not HTTP", "GARBAGE\r\n\r\n" + smuggled(), 400},
      // Answered, but a connection serves one request: what was sent after it
      // is never read as one.
      {"a state asked for, then a pause", head("GET /api/state HTTP/1.1", "") + smuggled(), 200},
  };
  for (const auto& c : cases) {
    RawConnection raw(server->port());
    ASSERT_TRUE(raw.connected());
    raw.send(c.request);
    bool closed = false;
    const std::string answer = raw.readToEnd(3000ms, &closed);
    EXPECT_EQ(statusOf(answer), c.status) << c.what << ":\n" << answer.substr(0, 300);
    EXPECT_EQ(count(answer, "HTTP/1.1 "), 1u) << c.what;
    EXPECT_TRUE(closed) << c.what << ": the connection stays open";
  }
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(server->state()["paused"], false) << "a smuggled request paused the flight";
}

TEST_F(HostileClients, BodiesOverTheLimitAreRefusedHoweverFramedAndKeepNoMemory) {
  const long peakBefore = server->residentKb("VmHWM:");
  ASSERT_GT(peakBefore, 0);
  const std::string json = "Content-Type: application/json\r\n";
  // 10 MB of "[" in chunks: refused once the chunks pass 16 KiB, read no further.
  {
    RawConnection raw(server->port());
    ASSERT_TRUE(raw.send(head("POST /api/key HTTP/1.1", json + "Transfer-Encoding: chunked\r\n")));
    const std::string chunk = "10000\r\n" + std::string(0x10000, '[') + "\r\n";
    for (int sent = 0; sent < 160 && !raw.readable(0ms); ++sent)
      if (!raw.send(chunk)) break;
    EXPECT_EQ(statusOf(raw.readToEnd(3000ms)), 413);
  }
  const struct {
    const char* what;
    std::string request;
    int status;
  } cases[] = {
      {"a length of 100 MB", head("POST /api/key HTTP/1.1", json + "Content-Length: 100000000\r\n"),
       413},
      {"one chunk of 256 MB",
       head("POST /api/key HTTP/1.1", json + "Transfer-Encoding: chunked\r\n") + "10000000\r\n",
       413},
      {"a head of 20 KB", head("GET /api/state HTTP/1.1", "X-Filler: " + std::string(20000, 'x')),
       431},
      // Within the limit, chunked is taken as any body.
      {"chunked within the limit",
       head("POST /api/key HTTP/1.1", json + "Transfer-Encoding: chunked\r\n") + "3\r\n{\"k\r\n" +
           "7\r\ney\": 0}\r\n0\r\n\r\n",
       200},
  };
  for (const auto& c : cases) {
    RawConnection raw(server->port());
    raw.send(c.request);
    const std::string answer = raw.readToEnd(3000ms);
    EXPECT_EQ(statusOf(answer), c.status) << c.what << ":\n" << answer.substr(0, 300);
  }
  const long peakAfter = server->residentKb("VmHWM:");
  EXPECT_LT(peakAfter - peakBefore, 4 * 1024)
      << "the server's memory grew by " << peakAfter - peakBefore << " kB";
}

TEST_F(HostileClients, SlowAndIdleConnectionsDoNotKeepThePilotWaiting) {
  // 200 connections that send nothing (with the others, more than the server
  // keeps open), then 100 clients sending a request a byte a second (more
  // than it has workers).
  const std::string request = head("GET /api/state HTTP/1.1", "");
  std::vector<std::unique_ptr<RawConnection>> slow, idle;
  for (int i = 0; i < 200; ++i) idle.push_back(std::make_unique<RawConnection>(server->port()));
  for (int i = 0; i < 100; ++i) slow.push_back(std::make_unique<RawConnection>(server->port()));
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    for (size_t byte = 0; !done && byte < request.size() - 1; ++byte) {
      for (auto& c : slow) c->send(request.substr(byte, 1));
      for (int i = 0; i < 10 && !done; ++i) std::this_thread::sleep_for(100ms);
    }
  });
  const auto start = Clock::now();
  std::chrono::milliseconds worst{0};
  while (Clock::now() - start < 3s) {
    auto c = server->client();
    c->set_read_timeout(2, 0);
    const auto asked = Clock::now();
    auto r = c->Get("/api/state");
    worst = std::max(worst,
                     std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked));
    ASSERT_TRUE(r && r->status == 200) << "the state went unanswered";
    std::this_thread::sleep_for(200ms);
  }
  EXPECT_LT(worst, 1000ms);
  // A slow client costs itself: closed once its time for a request is out.
  std::this_thread::sleep_for(6s - (Clock::now() - start));
  size_t closed = 0;
  for (auto& c : slow) {
    bool end = false;
    c->readToEnd(100ms, &end);
    closed += end;
  }
  done = true;
  trickle.join();
  EXPECT_EQ(closed, slow.size()) << "slow clients still hold connections";
}

TEST_F(HostileClients, AFloodOfActionsNeitherHastensTheFlightNorMovesItWhilePaused) {
  std::atomic<bool> stop{false};
  std::atomic<int> taken{0};
  auto flood = [&] {
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c)
      clients.emplace_back([&] {
        while (!stop)
          if (server->post("/api/key", R"({"key": 0})").first == 200) ++taken;
      });
    return clients;
  };
  // Paced at 1x: the flight keeps to the wall clock.
  std::vector<std::thread> clients = flood();
  std::this_thread::sleep_for(300ms);
  const double t0 = server->state()["t"];
  const auto wall0 = Clock::now();
  std::this_thread::sleep_for(2s);
  const double rate = (server->state()["t"].get<double>() - t0) /
                      std::chrono::duration<double>(Clock::now() - wall0).count();
  EXPECT_LT(rate, 1.1) << "actions ran the flight ahead of the wall clock";
  EXPECT_GT(rate, 0.3) << "actions held the flight";
  EXPECT_GT(taken, 100);

  // Paused, it stays where it is.
  const auto [status, r] = server->post("/api/sim", R"({"pause": true})");
  ASSERT_EQ(status, 200);
  const int before = taken;
  std::this_thread::sleep_for(1s);
  stop = true;
  for (std::thread& t : clients) t.join();
  EXPECT_GT(taken - before, 50);
  EXPECT_EQ(server->state()["t"], r["t"]) << "actions moved a paused flight";
}

}  // namespace
