// cpp-httplib's server, its connections passed through a ConnectionGate. The
// library accepts connections and parses, routes and answers requests, as
// configured; what it cannot do is bound a slow client (its workers read a
// request as it comes, so a client sending a byte a second holds one for as
// long as it likes) or a chunked body (read whole before a handler runs),
// nor stop parsing a connection after a refused request whose body it left
// unread. So a connection waits in the gate until its request has come whole,
// within the limits, and the library answers that request alone, from the
// bytes the gate received; the connection then closes.
#pragma once

#include <httplib.h>

#include <string>

#include "sim/serve/connection_gate.h"

namespace sim {

class GatedServer : public httplib::Server {
 public:
  // workers: threads answering requests; maxBody [bytes] of a request body.
  GatedServer(size_t workers, size_t maxBody);
  ~GatedServer() override;
  // After a bind: lets `connections` wait to be accepted, where the library
  // leaves 5, too few for a burst of them (the gate takes each at once).
  void setBacklog(int connections);
  // After stop(): closes the connections still open and waits for the
  // answers in progress.
  void stopGate() { gate_.stop(); }

 private:
  // The library calls this for each accepted connection (on its accepting
  // thread, the task queue being inline): the gate takes it.
  bool process_and_close_socket(socket_t sock) override;
  // On a worker: the library answers the request on fd.
  void serve(int fd, const std::string& request);

  ConnectionGate gate_;
};

}  // namespace sim
