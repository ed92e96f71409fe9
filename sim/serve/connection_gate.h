// Where the cockpit server's connections wait until their request has come
// whole, so that a slow client costs a socket and a few kilobytes, not a
// worker. One thread polls every waiting connection and reads what it sends
// until request_framing.h finds the request whole (at most kMaxHead bytes of
// head and the server's body limit); then a worker answers it from those
// bytes, without waiting for the client. A request refused by its framing
// (too large, no length, framed two ways) is answered here and never parsed.
//
// Limits: a connection that has not sent a whole request within
// kRequestTime is closed; at most kMaxOpen connections are open, and when a
// new one comes the oldest that is still waiting or closing makes room.
// Every connection serves one request: after the answer it is shut for
// writing, and what the client still sends is read and dropped (for up to
// kLinger or kLingerBytes) before it is closed, so that the client reads the
// answer rather than a reset, and nothing after a request is ever parsed.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class ConnectionGate {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRequestTime{5000};
  static constexpr std::chrono::milliseconds kLinger{1000};
  static constexpr size_t kLingerBytes = 1 << 20;  // [bytes]
  static constexpr size_t kMaxOpen = 256;          // connections, waiting, served and closing
  static constexpr size_t kMaxHead = 16 * 1024;    // [bytes] request line and header fields

  // serve(fd, request) answers the request (its bytes, whole, as received on
  // fd) on one of `workers` threads, and leaves the socket open; the gate
  // then closes it. maxBody [bytes].
  using Serve = std::function<void(int fd, const std::string& request)>;
  ConnectionGate(size_t workers, size_t maxBody, Serve serve);
  ~ConnectionGate();  // stop()
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

  // A connection just accepted (any thread); the gate owns it from now on.
  void admit(int fd);
  // Closes every connection and waits for the workers' answers in progress.
  void stop();

 private:
  struct Waiting {
    int fd;
    Clock::time_point until;  // closed then
    std::string received;     // waiting: the request so far
    size_t dropped = 0;       // [bytes] closing: read and dropped
  };

  void run();
  // A connection leaving a worker: shut for writing, then closing here.
  void served(int fd);
  // Reads what a waiting connection sent; true when it left the waiting list
  // (for a worker, refused or closed).
  bool receive(Waiting& w, short events);
  // Reads and drops what a closing connection sends; true when it is closed.
  bool drop(Waiting& w);
  void refuse(int fd, int status, const std::string& why);
  void linger(int fd);  // gate thread
  void close(int fd);
  void makeRoom();

  const size_t maxBody_;
  const size_t maxRequest_;  // [bytes] head and body
  const Serve serve_;
  httplib::ThreadPool workers_;
  std::thread thread_;
  int wake_[2] = {-1, -1};  // a pipe: admit() and served() write a byte to it

  std::mutex mutex_;  // guards the three below
  std::vector<int> admitted_, servedFds_;
  bool stopping_ = false;

  // Gate thread only.
  std::deque<Waiting> waiting_, closing_;
  std::atomic<size_t> open_{0};
  bool stopped_ = false;  // stop() has run
};

}  // namespace sim
