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

// An IPv4 or IPv6 address, written as one.
bool isAddress(const std::string& s) {
  in6_addr a;
  return inet_pton(AF_INET, s.c_str(), &a) == 1 || inet_pton(AF_INET6, s.c_str(), &a) == 1;
}

// Splits "name:port" / "[v6]:port"; false when malformed.
bool splitHost(const std::string& host, std::string& name, std::string& port) {
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) return false;
    name = host.substr(1, close - 1);
    const std::string rest = host.substr(close + 1);
    port = rest.empty() ? rest : rest.substr(1);
    return name.find(':') != std::string::npos && (rest.empty() || rest[0] == ':');
  }
  const size_t colon = host.find(':');
  name = host.substr(0, colon);
  port = colon == std::string::npos ? std::string() : host.substr(colon + 1);
  return true;
}

}  // namespace

std::string refusal(const httplib::Request& req, int port) {
  if (!req.has_header("Host")) return "the request has no Host header";
  const std::string host = req.get_header_value("Host"), origin = req.get_header_value("Origin"),
                    fetchSite = req.get_header_value("Sec-Fetch-Site");
  std::string name, hostPort;
  if (!splitHost(lower(host), name, hostPort)) return "the Host header is malformed";
  if (name != "localhost" && !isAddress(name))
    return "the cockpit answers to an IP address or localhost only, not \"" + name + "\"";
  const std::string wantPort = std::to_string(port);
  if (hostPort.empty() ? port != 80 : hostPort != wantPort)
    return "the Host header names another port";
  if (req.has_header("Origin") && lower(origin) != "http://" + lower(host))
    return "requests from another site's page are refused (Origin " + origin + ")";
  const bool api = req.path.rfind("/api/", 0) == 0;
  if (api && !fetchSite.empty() && fetchSite != "same-origin" && fetchSite != "none")
    return "requests from another site's page are refused (" + fetchSite + ")";
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
