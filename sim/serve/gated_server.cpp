#include "sim/serve/gated_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "sim/serve/request_framing.h"

namespace sim {
namespace {

constexpr size_t kReadPiece = 16 * 1024;  // [bytes] read from a connection at a time

// Runs each task at once on the thread that queues it: the library's task
// for a new connection only hands it to the gate.
class InlineQueue : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override {}
};

// A request as the gate received it, whole, to be read by the library, and
// the connection to answer on. Reading past the request finds its end: a
// connection serves one request, and nothing after it is parsed.
class RequestStream : public httplib::Stream {
 public:
  RequestStream(const std::string& request, httplib::Stream& socket)
      : request_(request), socket_(socket) {}

  bool is_readable() const override { return read_ < request_.size(); }
  bool is_writable() const override { return socket_.is_writable(); }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, request_.size() - read_);
    std::memcpy(ptr, request_.data() + read_, n);
    read_ += n;
    return ssize_t(n);
  }
  ssize_t write(const char* ptr, size_t size) override { return socket_.write(ptr, size); }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    socket_.get_remote_ip_and_port(ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    socket_.get_local_ip_and_port(ip, port);
  }
  socket_t socket() const override { return socket_.socket(); }

 private:
  const std::string& request_;
  size_t read_ = 0;  // [bytes]
  httplib::Stream& socket_;
};

const char* reason(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 411:
      return "Length Required";
    case 413:
      return "Payload Too Large";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Service Unavailable";
  }
}

}  // namespace

GatedServer::GatedServer(size_t workers, size_t maxBody)
    : maxBody_(maxBody),
      // A chunked body takes a few bytes of framing per chunk besides its data.
      maxRequest_(kMaxHead + 2 * maxBody),
      workers_(workers) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    workers_.shutdown();
    throw std::runtime_error("cannot make the server's wake-up pipe");
  }
  new_task_queue = [] { return new InlineQueue; };
  thread_ = std::thread([this] { run(); });
}

GatedServer::~GatedServer() { stopGate(); }

int GatedServer::bindTo(const std::string& address, int port) {
  if (port == 0) {
    port = bind_to_any_port(address);
  } else if (!bind_to_port(address, port)) {
    port = 0;
  }
  // listen() again on a listening socket sets its backlog anew.
  if (port > 0) ::listen(svr_sock_, int(kMaxOpen));
  return std::max(port, 0);
}

bool GatedServer::process_and_close_socket(socket_t sock) {
  handIn(sock, false);
  return true;
}

void GatedServer::handIn(int fd, bool served) {
  if (served) shutdown(fd, SHUT_WR);  // the answer is all there is; the client sees its end
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      handedIn_.emplace_back(fd, served);
      fd = -1;
    }
  }
  if (fd >= 0) return (void)::close(fd);
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);  // a full pipe has woken the gate already
}

void GatedServer::stopGate() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    stopped_ = stopping_ = true;
  }
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);
  if (thread_.joinable()) thread_.join();
  workers_.shutdown();  // answers in progress end; their sockets are closed as they do
  for (int& fd : wake_) {
    ::close(fd);
    fd = -1;
  }
}

void GatedServer::refuse(Connection& c, int status, const std::string& why) {
  const std::string body = nlohmann::json{{"error", why}}.dump();
  const std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reason(status) +
                           "\r\nContent-Type: application/json; charset=utf-8"
                           "\r\nCache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n" + body;
  // The socket's buffer takes a short answer whole; a client that has not
  // read its own buffer free gets what fits.
  (void)!send(c.fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  shutdown(c.fd, SHUT_WR);
  c.closing = true;
  c.until = Clock::now() + kLinger;
  std::string().swap(c.received);
}

// Room for one more connection: the oldest closing, else the oldest waiting,
// goes; one being answered stays.
void GatedServer::makeRoom() {
  while (!open_.empty() && open_.size() + answering_ >= kMaxOpen) {
    auto oldest = std::find_if(open_.begin(), open_.end(), [](auto& c) { return c.closing; });
    if (oldest == open_.end()) oldest = open_.begin();
    ::close(oldest->fd);
    open_.erase(oldest);
  }
}

bool GatedServer::receive(Connection& c, short events) {
  char piece[kReadPiece];
  const size_t asked = std::min(sizeof piece, maxRequest_ - c.received.size());
  const ssize_t n = recv(c.fd, piece, asked, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return false;
  if (n <= 0) {  // closed or failed before a whole request
    ::close(c.fd);
    return true;
  }
  c.received.append(piece, size_t(n));
  const RequestFraming f = frameRequest(c.received, kMaxHead, maxBody_);
  switch (f.kind) {
    case RequestFraming::Kind::Whole: {
      // What follows the request (a second one sent at once) is never parsed.
      c.received.resize(f.length);
      ++answering_;
      workers_.enqueue([this, fd = c.fd, request = std::move(c.received)] {
        serve(fd, request);
        handIn(fd, true);
      });
      return true;
    }
    case RequestFraming::Kind::Refused:
      refuse(c, f.status, f.why);
      return false;
    case RequestFraming::Kind::Partial:
      if (c.received.size() >= maxRequest_) {
        refuse(c, 413, "the request is over " + std::to_string(maxRequest_) + " bytes");
      } else if ((events & (POLLRDHUP | POLLHUP)) && size_t(n) < asked) {  // all read; no more
        ::close(c.fd);
        return true;
      }
      return false;
  }
  return false;
}

bool GatedServer::drop(Connection& c) {
  char buffer[kReadPiece];
  const ssize_t n = recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return false;
  c.dropped += size_t(std::max<ssize_t>(n, 0));
  if (n > 0 && c.dropped <= kLingerBytes) return false;
  ::close(c.fd);
  return true;
}

void GatedServer::run() {
  std::vector<pollfd> fds;
  for (;;) {
    std::vector<std::pair<int, bool>> handed;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) break;
      handed.swap(handedIn_);
    }
    const Clock::time_point now = Clock::now();
    for (const auto& [fd, served] : handed) {
      if (served) {
        --answering_;
        open_.push_back(Connection{fd, now + kLinger, true, {}, 0});
        continue;
      }
      makeRoom();
      const bool full = open_.size() + answering_ >= kMaxOpen;  // every other one is answered
      open_.push_back(Connection{fd, now + kRequestTime, false, {}, 0});
      if (full) refuse(open_.back(), 503, "the server has too many connections open");
    }

    Clock::time_point next = Clock::time_point::max();
    fds.assign(1, pollfd{wake_[0], POLLIN, 0});
    for (const Connection& c : open_) {
      next = std::min(next, c.until);
      fds.push_back(pollfd{c.fd, short(c.closing ? POLLIN : POLLIN | POLLRDHUP), 0});
    }
    const int timeout =
        next == Clock::time_point::max()
            ? -1
            : int(std::max<int64_t>(
                  0, std::chrono::ceil<std::chrono::milliseconds>(next - now).count()));
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;

    if (fds[0].revents != 0) {
      char bytes[64];
      while (read(wake_[0], bytes, sizeof bytes) > 0) {
      }
    }
    // fds[1...] are the connections in open_'s order. One refused here turns
    // closing in place, its linger from now.
    const Clock::time_point then = Clock::now();
    for (size_t k = 0; k < open_.size(); ++k) {
      Connection& c = open_[k];
      const short events = fds[k + 1].revents;
      if (events != 0 && (c.closing ? drop(c) : receive(c, events))) {
        c.fd = -1;
      } else if (then >= c.until) {
        ::close(c.fd);
        c.fd = -1;
      }
    }
    open_.erase(std::remove_if(open_.begin(), open_.end(), [](auto& c) { return c.fd < 0; }),
                open_.end());
  }
  for (const Connection& c : open_) ::close(c.fd);
  open_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [fd, served] : handedIn_) ::close(fd);
  handedIn_.clear();
}

void GatedServer::serve(int fd, const std::string& request) {
  // The library's socket stream writes the answer, with the write timeout set;
  // it never reads: the request is all in `request`.
  httplib::detail::process_client_socket(
      fd, 0, 0, write_timeout_sec_, write_timeout_usec_, [&](httplib::Stream& socket) {
        RequestStream stream(request, socket);
        bool closed = false;
        return process_request(stream, /*close_connection=*/true, closed, nullptr);
      });
}

}  // namespace sim
