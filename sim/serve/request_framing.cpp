#include "sim/serve/request_framing.h"

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

using Kind = RequestFraming::Kind;

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kMaxChunkLine = 1024;  // [bytes] a chunk's size line, extensions included

RequestFraming partial() { return {}; }
RequestFraming whole(size_t length) { return {Kind::Whole, length, 0, {}}; }
RequestFraming refused(int status, std::string why) {
  return {Kind::Refused, 0, status, std::move(why)};
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
         });
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The body's framing as the head declares it.
struct BodyFraming {
  int contentLengths = 0;
  std::string_view contentLength;  // the last one's value
  bool transferEncoding = false;
  std::string_view coding;  // its value
};

// The header fields of head (the lines after the request line). Names are
// taken as the server's library takes them: up to the colon, untrimmed, so
// that "Content-Length :" frames nothing for either.
BodyFraming bodyFraming(std::string_view head) {
  BodyFraming f;
  size_t at = head.find(kLineEnd) + kLineEnd.size();
  while (at < head.size()) {
    const size_t end = head.find(kLineEnd, at);
    const std::string_view line = head.substr(at, end - at);
    at = end + kLineEnd.size();
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon), value = trimmed(line.substr(colon + 1));
    if (equalNoCase(name, "Content-Length")) {
      ++f.contentLengths;
      f.contentLength = value;
    } else if (equalNoCase(name, "Transfer-Encoding")) {
      f.transferEncoding = true;
      f.coding = value;
    }
  }
  return f;
}

// A chunked body from `at`: the whole request's length, or more to come, or
// refused. The chunk sizes add up to at most maxBody.
RequestFraming frameChunks(std::string_view received, size_t at, size_t maxHead, size_t maxBody) {
  size_t total = 0;  // [bytes] of data in the chunks so far
  for (;;) {
    const size_t end = received.find(kLineEnd, at);
    if (end == std::string_view::npos)
      return received.size() - at > kMaxChunkLine ? refused(400, "a chunk's size line is too long")
                                                  : partial();
    std::string_view line = received.substr(at, end - at);
    line = line.substr(0, line.find(';'));  // extensions are ignored
    line = trimmed(line);
    if (line.empty() || line.size() > 8 || !std::all_of(line.begin(), line.end(), [](char c) {
          return std::isxdigit((unsigned char)c) != 0;
        }))
      return refused(400, "a chunk's size is not a hexadecimal number");
    const size_t size = std::stoul(std::string(line), nullptr, 16);
    at = end + kLineEnd.size();
    if (size == 0) {  // the last chunk; then trailer fields up to a blank line
      if (received.substr(at, 2) == kLineEnd) return whole(at + 2);
      const size_t blank = received.find("\r\n\r\n", at);
      if (blank != std::string_view::npos) return whole(blank + 4);
      return received.size() - at > maxHead ? refused(431, "the trailer fields are too large")
                                            : partial();
    }
    total += size;
    if (total > maxBody)
      return refused(413, "the body is over " + std::to_string(maxBody) + " bytes");
    if (received.size() < at + size + 2) return partial();
    if (received.substr(at + size, 2) != kLineEnd)
      return refused(400, "a chunk is longer than its size says");
    at += size + 2;
  }
}

}  // namespace

RequestFraming frameRequest(std::string_view received, size_t maxHead, size_t maxBody) {
  const size_t blank = received.substr(0, maxHead).find("\r\n\r\n");
  if (blank == std::string_view::npos)
    return received.size() >= maxHead
               ? refused(431, "the request head is over " + std::to_string(maxHead) + " bytes")
               : partial();
  const size_t headLength = blank + 4;
  const std::string_view head = received.substr(0, blank + 2);  // each line with its CRLF
  const std::string_view method = head.substr(0, head.find(' '));
  const BodyFraming f = bodyFraming(head);

  if (f.transferEncoding) {
    // Content-Length beside it is the classic way to make two readers of one
    // stream disagree on where the request ends.
    if (f.contentLengths > 0)
      return refused(400, "the body is framed both by length and by chunks");
    if (!equalNoCase(f.coding, "chunked"))
      return refused(400, "the only transfer coding taken is chunked");
    return frameChunks(received, headLength, maxHead, maxBody);
  }
  if (f.contentLengths > 1) return refused(400, "the body's length is given more than once");
  if (f.contentLengths == 1) {
    const std::string_view n = f.contentLength;
    if (n.empty() || n.size() > 18 ||
        !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return refused(400, "the body's length is not a number");
    const size_t length = std::stoull(std::string(n));
    if (length > maxBody)
      return refused(413, "the body is over " + std::to_string(maxBody) + " bytes");
    return received.size() >= headLength + length ? whole(headLength + length) : partial();
  }
  // No framing: no body, except for the methods that always carry one, whose
  // body would then run to the end of the connection.
  if (method == "POST" || method == "PUT" || method == "PATCH")
    return refused(411, "the body's length must be given (Content-Length)");
  return whole(headLength);
}

}  // namespace sim
