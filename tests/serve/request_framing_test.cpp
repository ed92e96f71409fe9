// Where a request ends, from the bytes received so far: each request below,
// cut at every length, is partial until its last byte and then whole (or
// refused as soon as the bytes say so).
#include "sim/serve/request_framing.h"

#include <gtest/gtest.h>

namespace {

using Kind = sim::RequestFraming::Kind;

constexpr size_t kMaxHead = 256, kMaxBody = 64;  // [bytes] small, to reach them

const std::string kHead = "POST /api/key HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n";

TEST(RequestFraming, WholeAtItsLastByteAndNotBefore) {
  const struct {
    const char* what;
    std::string request;
    std::string after;  // bytes sent after the request, never part of it
  } cases[] = {
      {"no body", "GET / HTTP/1.1\r\nHost: a\r\n\r\n", "GET /"},
      {"a length", kHead + "Content-Length: 5\r\n\r\n{\"a\"}", "POST"},
      {"a length with blanks, any case", kHead + "content-LENGTH:\t 2 \r\n\r\n{}", "x"},
      {"a zero length", kHead + "Content-Length: 0\r\n\r\n", "x"},
      {"chunks",
       kHead + "Transfer-Encoding: chunked\r\n\r\n3\r\n{\"a\r\n2;ext=1\r\n\"}\r\n0\r\n\r\n",
       "0\r\n\r\n"},
      {"chunks with trailers",
       kHead + "Transfer-Encoding: Chunked\r\n\r\n2\r\n{}\r\n0\r\nX-T: 1\r\n\r\n", "\r\n"},
      {"a body at the limit", kHead + "Content-Length: 64\r\n\r\n" + std::string(64, ' '), " "},
  };
  for (const auto& c : cases) {
    const std::string bytes = c.request + c.after;
    for (size_t n = 0; n <= bytes.size(); ++n) {
      const sim::RequestFraming f = sim::frameRequest(bytes.substr(0, n), kMaxHead, kMaxBody);
      if (n < c.request.size()) {
        ASSERT_EQ(f.kind, Kind::Partial) << c.what << ", " << n << " bytes: " << f.why;
      } else {
        ASSERT_EQ(f.kind, Kind::Whole) << c.what << ", " << n << " bytes: " << f.why;
        EXPECT_EQ(f.length, c.request.size()) << c.what;
      }
    }
  }
}

TEST(RequestFraming, RefusedAsSoonAsTheBytesSaySo) {
  const struct {
    const char* what;
    std::string bytes;
    int status;
  } cases[] = {
      {"a length over the limit", kHead + "Content-Length: 65\r\n\r\n", 413},
      {"a length of many digits", kHead + "Content-Length: 99999999999999999999\r\n\r\n", 400},
      {"a signed length", kHead + "Content-Length: +5\r\n\r\n", 400},
      {"two lengths", kHead + "Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}", 400},
      {"a length and chunks", kHead + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n",
       400},
      {"a coding other than chunked", kHead + "Transfer-Encoding: gzip, chunked\r\n\r\n", 400},
      {"a POST without length", kHead + "\r\n", 411},
      {"chunks over the limit", kHead + "Transfer-Encoding: chunked\r\n\r\n41\r\n", 413},
      {"chunks adding up over the limit",
       kHead + "Transfer-Encoding: chunked\r\n\r\n20\r\n" + std::string(32, 'x') + "\r\n21\r\n",
       413},
      {"a chunk size that is not hexadecimal", kHead + "Transfer-Encoding: chunked\r\n\r\n-1\r\n",
       400},
      {"a chunk longer than its size", kHead + "Transfer-Encoding: chunked\r\n\r\n1\r\nab\r\n",
       400},
      {"a head over the limit", "GET /" + std::string(kMaxHead, 'a'), 431},
  };
  for (const auto& c : cases) {
    const sim::RequestFraming f = sim::frameRequest(c.bytes, kMaxHead, kMaxBody);
    EXPECT_EQ(f.kind, Kind::Refused) << c.what;
    EXPECT_EQ(f.status, c.status) << c.what << ": " << f.why;
    EXPECT_FALSE(f.why.empty()) << c.what;
  }
}

}  // namespace
