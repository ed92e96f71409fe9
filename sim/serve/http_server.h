// The cockpit's HTTP server: the page's files and the JSON API, on its own
// threads. It reaches the flight only through the LiveSession, so nothing a
// client does (or fails to do) holds up a step.
//   GET  /api/state    the flight now (state_json.h)
//   GET  /api/stream   server-sent events: the state on every publication
//   POST /api/key, /api/button, /api/input, /api/mode, /api/sim   (actions.h)
// Answers: 200 with JSON, 400 a meaningless request, 403 a foreign page or
// host, 404, 405 a method other than GET, HEAD and POST, 409 cannot act now,
// 411 a POST without a length, 413 a body over kMaxBody, 415 not JSON (or
// compressed), 431 a head over GatedServer::kMaxHead, 503 the flight has
// ended or is busy; errors as {"error": "why"}. Each connection serves one
// request (gated_server.h); a refused one is never read further.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/serve/assets.h"
#include "sim/serve/session.h"

namespace sim {

class GatedServer;

class CockpitServer {
 public:
  static constexpr size_t kMaxBody = 16 * 1024;  // [bytes]
  static constexpr int kMaxStreams = 4;          // open /api/stream connections
  static constexpr int kSendBuffer = 64 * 1024;  // [bytes] socket send buffer per connection
  // Threads answering requests that have come whole (gated_server.h):
  // the streams hold kMaxStreams of them, an action waits for the flight to
  // show it (tens of milliseconds), a state or a file takes less.
  static constexpr size_t kWorkers = 16;

  CockpitServer(LiveSession& session, const std::string& assetsDir);
  ~CockpitServer();  // stops
  // Binds address:port (0 = any free port); throws std::runtime_error. Returns the port.
  int bind(const std::string& address, int port);
  void start();  // serves on a thread of its own
  void stop();
  size_t assetCount() const { return assets_.size(); }

 private:
  void routes();

  LiveSession& session_;
  Assets assets_;
  std::unique_ptr<GatedServer> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<int> streams_{0};
  std::atomic<bool> stopping_{false};
};

}  // namespace sim
