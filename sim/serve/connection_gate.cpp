#include "sim/serve/connection_gate.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "sim/serve/request_framing.h"

namespace sim {
namespace {

constexpr size_t kReadPiece = 16 * 1024;  // [bytes] read from a connection at a time

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

// why holds no quote or backslash (the gate's own messages).
std::string answer(int status, const std::string& why) {
  const std::string body = "{\"error\": \"" + why + "\"}";
  return "HTTP/1.1 " + std::to_string(status) + " " + reason(status) +
         "\r\nContent-Type: application/json; charset=utf-8\r\nCache-Control: no-store"
         "\r\nConnection: close\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

ConnectionGate::ConnectionGate(size_t workers, size_t maxBody, Serve serve)
    : maxBody_(maxBody),
      // A chunked body takes a few bytes of framing per chunk besides its data.
      maxRequest_(kMaxHead + 2 * maxBody),
      serve_(std::move(serve)),
      workers_(workers) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    workers_.shutdown();
    throw std::runtime_error("cannot make the server's wake-up pipe");
  }
  thread_ = std::thread([this] { run(); });
}

ConnectionGate::~ConnectionGate() { stop(); }

void ConnectionGate::admit(int fd) {
  ++open_;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      admitted_.push_back(fd);
      fd = -1;
    }
  }
  if (fd >= 0) return close(fd);
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);  // a full pipe has woken the gate already
}

void ConnectionGate::served(int fd) {
  shutdown(fd, SHUT_WR);  // the answer is all there is; the client sees its end
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      servedFds_.push_back(fd);
      fd = -1;
    }
  }
  if (fd >= 0) return close(fd);
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);
}

void ConnectionGate::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
    stopping_ = true;
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

void ConnectionGate::close(int fd) {
  ::close(fd);
  --open_;
}

void ConnectionGate::refuse(int fd, int status, const std::string& why) {
  const std::string text = answer(status, why);
  // The socket's buffer takes a short answer whole; a client that has not
  // read its own buffer free gets what fits.
  (void)!send(fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  shutdown(fd, SHUT_WR);
  linger(fd);
}

void ConnectionGate::linger(int fd) {
  closing_.push_back(Waiting{fd, Clock::now() + kLinger, {}, 0});
}

// The oldest connection closing, else the oldest waiting, goes to make room
// for a new one; one being answered stays.
void ConnectionGate::makeRoom() {
  while (open_ > kMaxOpen) {
    std::deque<Waiting>& from = !closing_.empty() ? closing_ : waiting_;
    if (from.empty()) return;
    close(from.front().fd);
    from.pop_front();
  }
}

bool ConnectionGate::receive(Waiting& w, short events) {
  char piece[kReadPiece];
  const size_t asked = std::min(sizeof piece, maxRequest_ - w.received.size());
  const ssize_t n = recv(w.fd, piece, asked, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return false;
  if (n <= 0) {  // closed or failed before a whole request
    close(w.fd);
    return true;
  }
  w.received.append(piece, size_t(n));
  const RequestFraming f = frameRequest(w.received, kMaxHead, maxBody_);
  switch (f.kind) {
    case RequestFraming::Kind::Whole: {
      // What follows the request (a second one sent at once) is never parsed.
      w.received.resize(f.length);
      const int fd = w.fd;
      workers_.enqueue([this, fd, request = std::move(w.received)] {
        serve_(fd, request);
        served(fd);
      });
      return true;
    }
    case RequestFraming::Kind::Refused:
      refuse(w.fd, f.status, f.why);
      return true;
    case RequestFraming::Kind::Partial:
      if (w.received.size() >= maxRequest_) {
        refuse(w.fd, 413, "the request is over " + std::to_string(maxRequest_) + " bytes");
        return true;
      }
      if ((events & (POLLRDHUP | POLLHUP)) && size_t(n) < asked) {  // all read; no more comes
        close(w.fd);
        return true;
      }
      return false;
  }
  return false;
}

bool ConnectionGate::drop(Waiting& w) {
  char buffer[kReadPiece];
  const ssize_t n = recv(w.fd, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return false;
  w.dropped += size_t(std::max<ssize_t>(n, 0));
  if (n > 0 && w.dropped <= kLingerBytes) return false;
  close(w.fd);
  return true;
}

void ConnectionGate::run() {
  std::vector<pollfd> fds;
  for (;;) {
    std::vector<int> admitted, served;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) break;
      admitted.swap(admitted_);
      served.swap(servedFds_);
    }
    const Clock::time_point now = Clock::now();
    for (int fd : served) closing_.push_back(Waiting{fd, now + kLinger, {}, 0});
    for (int fd : admitted) {
      makeRoom();
      if (open_ > kMaxOpen) {  // every other one is being answered
        refuse(fd, 503, "the server has too many connections open");
      } else {
        waiting_.push_back(Waiting{fd, now + kRequestTime, {}, 0});
      }
    }

    // Each list is in the order of its deadlines, which are all as long.
    Clock::time_point next = Clock::time_point::max();
    if (!waiting_.empty()) next = waiting_.front().until;
    if (!closing_.empty()) next = std::min(next, closing_.front().until);
    const int timeout =
        next == Clock::time_point::max()
            ? -1
            : int(std::max<int64_t>(
                  0, std::chrono::ceil<std::chrono::milliseconds>(next - now).count()));

    fds.assign(1, pollfd{wake_[0], POLLIN, 0});
    for (const Waiting& w : waiting_) fds.push_back(pollfd{w.fd, POLLIN | POLLRDHUP, 0});
    for (const Waiting& w : closing_) fds.push_back(pollfd{w.fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;

    if (fds[0].revents != 0) {
      char bytes[64];
      while (read(wake_[0], bytes, sizeof bytes) > 0) {
      }
    }
    // fds[1...] are the waiting connections, then the closing ones. The
    // closing go first: a connection refused while the waiting are swept
    // joins them, unpolled.
    const Clock::time_point then = Clock::now();
    auto sweep = [&](std::deque<Waiting>& list, size_t first, auto&& handle) {
      for (size_t k = 0; k < list.size(); ++k) {
        Waiting& w = list[k];
        const short events = fds[first + k].revents;
        if (events != 0 && handle(w, events)) {
          w.fd = -1;
        } else if (then >= w.until) {
          close(w.fd);
          w.fd = -1;
        }
      }
    };
    std::deque<Waiting> waiting;
    waiting.swap(waiting_);
    sweep(closing_, 1 + waiting.size(), [&](Waiting& w, short) { return drop(w); });
    sweep(waiting, 1, [&](Waiting& w, short events) { return receive(w, events); });
    for (Waiting& w : waiting)
      if (w.fd >= 0) waiting_.push_back(std::move(w));
    std::deque<Waiting> closing;
    for (Waiting& w : closing_)
      if (w.fd >= 0) closing.push_back(std::move(w));
    closing_.swap(closing);
  }
  for (std::deque<Waiting>* list : {&waiting_, &closing_}) {
    for (const Waiting& w : *list) close(w.fd);
    list->clear();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (int fd : admitted_) close(fd);
  for (int fd : servedFds_) close(fd);
  admitted_.clear();
  servedFds_.clear();
}

}  // namespace sim
