#include "sim/serve/http_guard.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

bool isIpv4(const std::string& s) {
  in_addr a;
  return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

bool isIpv6(const std::string& s) {
  in6_addr a;
  return inet_pton(AF_INET6, s.c_str(), &a) == 1;
}

// Splits "name:port" / "[v6]:port"; false when malformed.
bool splitHost(const std::string& host, std::string& name, std::string& port) {
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) return false;
    name = host.substr(1, close - 1);
    if (!isIpv6(name)) return false;
    const std::string rest = host.substr(close + 1);
    if (rest.empty()) {
      port.clear();
      return true;
    }
    if (rest[0] != ':') return false;
    port = rest.substr(1);
  } else {
    const size_t colon = host.find(':');
    name = host.substr(0, colon);
    port = colon == std::string::npos ? std::string() : host.substr(colon + 1);
  }
  return true;
}

}  // namespace

std::string refusal(const RequestHeaders& h, int port, bool api) {
  if (!h.hasHost) return "the request has no Host header";
  std::string name, hostPort;
  if (!splitHost(lower(h.host), name, hostPort)) return "the Host header is malformed";
  if (name != "localhost" && !isIpv4(name) && !isIpv6(name))
    return "the cockpit answers to an IP address or localhost only, not \"" + name + "\"";
  const std::string wantPort = std::to_string(port);
  if (hostPort.empty() ? port != 80 : hostPort != wantPort)
    return "the Host header names another port";
  if (h.hasOrigin && lower(h.origin) != "http://" + lower(h.host))
    return "requests from another site's page are refused (Origin " + h.origin + ")";
  if (api && !h.fetchSite.empty() && h.fetchSite != "same-origin" && h.fetchSite != "none")
    return "requests from another site's page are refused (" + h.fetchSite + ")";
  return "";
}

bool isLoopback(const std::string& address) {
  const std::string a = lower(address);
  if (a == "localhost") return true;
  in_addr v4;
  if (inet_pton(AF_INET, a.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6;
  if (inet_pton(AF_INET6, a.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

}  // namespace sim
