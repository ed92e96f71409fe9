// Who may drive the cockpit. A page from another site must not: a browser
// tells the page's origin in the Origin header, and a request whose Origin is
// not this server's own is refused. DNS rebinding (a foreign name made to
// resolve to this machine, so that the browser counts the cockpit as that
// site) is refused by the Host header: only an IP address or "localhost" is
// accepted, with this server's port.
#pragma once

#include <string>

namespace sim {

struct RequestHeaders {
  bool hasHost = false;
  std::string host;  // the Host header as sent
  bool hasOrigin = false;
  std::string origin;
  std::string fetchSite;  // Sec-Fetch-Site, empty when not sent
};

// "" when allowed, else why not (the message of the 403 answer). api: the
// path is under /api/ (the page itself may be opened from a link elsewhere).
std::string refusal(const RequestHeaders& h, int port, bool api);

// Whether a --bind address reaches this machine only (127.0.0.0/8, ::1, localhost).
bool isLoopback(const std::string& address);

}  // namespace sim
