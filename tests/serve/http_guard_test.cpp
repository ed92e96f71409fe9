// Who may drive the cockpit: the Host and Origin rules, and what counts as loopback.
#include "sim/serve/http_guard.h"

#include <gtest/gtest.h>

namespace {

// A request for path with these headers (Origin and Sec-Fetch-Site when given).
httplib::Request request(const std::string& host, const char* origin = nullptr,
                         const std::string& fetchSite = "",
                         const std::string& path = "/api/state") {
  httplib::Request r;
  r.path = path;
  r.headers.emplace("Host", host);
  if (origin) r.headers.emplace("Origin", origin);
  if (!fetchSite.empty()) r.headers.emplace("Sec-Fetch-Site", fetchSite);
  return r;
}

TEST(HttpGuard, AddressesAndLocalhostWithThisPortAreServed) {
  for (const char* host :
       {"127.0.0.1:8080", "localhost:8080", "LOCALHOST:8080", "[::1]:8080", "192.168.1.20:8080"})
    EXPECT_EQ(sim::refusal(request(host), 8080), "") << host;
  EXPECT_EQ(sim::refusal(request("127.0.0.1"), 80), "");  // no port: 80
  EXPECT_EQ(sim::refusal(request("127.0.0.1:8080", "http://127.0.0.1:8080", "same-origin"), 8080),
            "");
}

TEST(HttpGuard, ForeignNamesOtherPortsAndMalformedHostsAreRefused) {
  for (const char* host : {"rebind.example:8080", "127.0.0.1.nip.io:8080", "localhost.evil:8080",
                           "[::1:8080", "[evil]:8080", "127.0.0.1:8081", "127.0.0.1", ""})
    EXPECT_NE(sim::refusal(request(host), 8080), "") << host;
  EXPECT_NE(sim::refusal(httplib::Request(), 8080), "");
}

TEST(HttpGuard, PagesOfOtherOriginsAreRefused) {
  for (const char* origin : {"http://evil.example", "http://127.0.0.1:1", "https://127.0.0.1:8080",
                             "null", "http://localhost:8080"})
    EXPECT_NE(sim::refusal(request("127.0.0.1:8080", origin), 8080), "") << origin;
  // A cross-site fetch without Origin (Sec-Fetch-Site tells) is refused on the API only.
  EXPECT_NE(sim::refusal(request("127.0.0.1:8080", nullptr, "cross-site"), 8080), "");
  EXPECT_NE(sim::refusal(request("127.0.0.1:8080", nullptr, "same-site"), 8080), "");
  EXPECT_EQ(sim::refusal(request("127.0.0.1:8080", nullptr, "cross-site", "/"), 8080), "");
}

TEST(HttpGuard, LoopbackIsThe127NetworkIpv6OneAndLocalhost) {
  for (const char* a : {"127.0.0.1", "127.1.2.3", "::1", "localhost"})
    EXPECT_TRUE(sim::isLoopback(a)) << a;
  for (const char* a : {"0.0.0.0", "::", "192.168.1.2", "128.0.0.1", "example.com", ""})
    EXPECT_FALSE(sim::isLoopback(a)) << a;
}

}  // namespace
