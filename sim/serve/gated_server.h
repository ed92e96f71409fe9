// cpp-httplib's server, its connections waiting in a gate until their request
// has come whole. The library accepts connections and parses, routes and
// answers requests, as configured; what it cannot do is bound a slow client
// (its workers read a request as it comes, so a client sending a byte a
// second holds one for as long as it likes) or a chunked body (read whole
// before a handler runs), nor stop parsing a connection after a refused
// request whose body it left unread.
//
// So one thread polls every connection waiting for its request and reads what
// it sends until request_framing.h finds the request whole (at most kMaxHead
// bytes of head and maxBody of body); then a worker has the library answer
// that request alone, from those bytes, without waiting for the client. A
// slow client costs a socket and a few kilobytes, not a worker. A request
// refused by its framing (too large, no length, framed two ways) is answered
// by the gate and never parsed.
//
// Limits: a connection that has not sent a whole request within kRequestTime
// is closed; at most kMaxOpen connections are open (waiting, answered and
// closing), and when a new one comes the oldest closing, else the oldest
// waiting, makes room. Every connection serves one request: after the answer
// it is shut for writing, and what the client still sends is read and
// dropped (for up to kLinger or kLingerBytes) before it is closed, so that
// the client reads the answer rather than a reset, and nothing after a
// request is ever parsed.
#pragma once

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class GatedServer : public httplib::Server {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRequestTime{5000};
  static constexpr std::chrono::milliseconds kLinger{1000};
  static constexpr size_t kLingerBytes = 1 << 20;  // [bytes]
  static constexpr size_t kMaxOpen = 256;          // connections, waiting, answered and closing
  static constexpr size_t kMaxHead = 16 * 1024;    // [bytes] request line and header fields

  // workers: threads answering requests; maxBody [bytes] of a request body.
  GatedServer(size_t workers, size_t maxBody);
  ~GatedServer() override;  // stopGate()
  // Binds address:port (0 = any free port) and lets kMaxOpen connections wait
  // to be accepted, where the library leaves 5, too few for a burst of them
  // (the gate takes each at once). The port, or 0 when it cannot bind.
  int bindTo(const std::string& address, int port);
  // After stop(): closes the connections still open and waits for the
  // answers in progress.
  void stopGate();

 private:
  struct Connection {
    int fd;
    Clock::time_point until;  // closed then
    bool closing = false;     // answered or refused: what it sends is dropped
    std::string received;     // waiting: the request so far
    size_t dropped = 0;       // [bytes] closing: read and dropped
  };

  // The library calls this for each accepted connection (on its accepting
  // thread, the task queue being inline): the gate takes it.
  bool process_and_close_socket(socket_t sock) override;
  // A connection accepted (served false) or leaving a worker (true).
  void handIn(int fd, bool served);
  void run();
  // Reads what a waiting connection sent; true when it left the gate (for a
  // worker, or closed).
  bool receive(Connection& c, short events);
  // Reads and drops what a closing connection sends; true when it is closed.
  bool drop(Connection& c);
  void refuse(Connection& c, int status, const std::string& why);
  void makeRoom();
  // On a worker: the library answers the request on fd.
  void serve(int fd, const std::string& request);

  const size_t maxBody_;
  const size_t maxRequest_;  // [bytes] head and body
  httplib::ThreadPool workers_;
  std::thread thread_;
  int wake_[2] = {-1, -1};  // a pipe: handIn() writes a byte to it

  std::mutex mutex_;                            // guards the three below
  std::vector<std::pair<int, bool>> handedIn_;  // (fd, served)
  bool stopping_ = false;
  bool stopped_ = false;  // stopGate() has run

  // Gate thread only, oldest first.
  std::vector<Connection> open_;
  size_t answering_ = 0;  // connections with a worker
};

}  // namespace sim
