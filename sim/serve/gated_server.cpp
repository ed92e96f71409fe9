#include "sim/serve/gated_server.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

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

}  // namespace

GatedServer::GatedServer(size_t workers, size_t maxBody)
    : gate_(workers, maxBody, [this](int fd, const std::string& request) { serve(fd, request); }) {
  new_task_queue = [] { return new InlineQueue; };
  set_payload_max_length(maxBody);
  set_keep_alive_max_count(1);  // one request a connection (the gate closes it)
}

GatedServer::~GatedServer() { gate_.stop(); }

void GatedServer::setBacklog(int connections) {
  // listen() again on a listening socket sets its backlog anew.
  if (svr_sock_ != INVALID_SOCKET) ::listen(svr_sock_, connections);
}

bool GatedServer::process_and_close_socket(socket_t sock) {
  gate_.admit(sock);
  return true;
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
