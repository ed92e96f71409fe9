// Who may drive the cockpit. A page from another site must not: a browser
// tells the page's origin in the Origin header, and a request whose Origin is
// not this server's own is refused. DNS rebinding (a foreign name made to
// resolve to this machine, so that the browser counts the cockpit as that
// site) is refused by the Host header: only an IP address or "localhost" is
// accepted, with this server's port.
#pragma once

#include <httplib.h>

#include <string>

namespace sim {

// "" when the request may be answered by the server on port, else why not
// (the message of the 403 answer). Sec-Fetch-Site is heeded on the API only:
// the page itself may be opened from a link elsewhere.
std::string refusal(const httplib::Request& req, int port);

// Whether a --bind address reaches this machine only (127.0.0.0/8, ::1, localhost).
bool isLoopback(const std::string& address);

}  // namespace sim
