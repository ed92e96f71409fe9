// The cockpit's HTTP server: the page's files and the JSON API, on its own
// threads. It reaches the flight only through the LiveSession, so nothing a
// client does (or fails to do) holds up a step.
//   GET  /api/state    the flight now (state_json.h)
//   GET  /api/stream   server-sent events: the state on every publication
//   POST /api/key, /api/button, /api/input, /api/mode, /api/sim   (requests.h)
// Answers: 200 with JSON, 400 a meaningless request, 403 a foreign page or
// host, 404, 409 cannot act now, 413 a body over kMaxBody, 415 not JSON,
// 503 the flight has ended or is busy; errors as {"error": "why"}.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/serve/assets.h"
#include "sim/serve/session.h"

namespace httplib {
class Server;
}

namespace sim {

class CockpitServer {
 public:
  static constexpr size_t kMaxBody = 16 * 1024;  // [bytes]
  static constexpr int kMaxStreams = 4;          // open /api/stream connections
  static constexpr int kSendBuffer = 64 * 1024;  // [bytes] socket send buffer per connection
  // Threads answering connections. A browser holds several idle keep-alive
  // connections and opens speculative ones that each take a thread until
  // they time out, so there are plenty; they cost memory only.
  static constexpr size_t kWorkers = 32;
  static constexpr size_t kMaxWaiting = 64;  // accepted connections waiting for a thread

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
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<int> streams_{0};
  std::atomic<bool> stopping_{false};
};

}  // namespace sim
