// Where an HTTP/1.1 request ends, read from the bytes a connection has
// received so far (RFC 9112, sections 2 to 7): the head up to its blank line,
// then a body of Content-Length bytes or of chunks up to the last, empty one.
// The server hands a connection to a worker only once its whole request is
// there (connection_gate.h); framing it here decides that, and refuses what
// it must before anything is parsed: a head or a body over its limit, a body
// whose length cannot be told, framing two ways at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sim {

struct RequestFraming {
  enum class Kind {
    Partial,  // more bytes must come
    Whole,    // the request is all there: `length` bytes, head and body
    Refused,  // `status` and `why`, whatever follows
  };
  Kind kind = Kind::Partial;
  size_t length = 0;  // [bytes]
  int status = 0;     // 400, 411, 413 or 431
  std::string why;
};

// received: the connection's bytes from its start. maxHead, maxBody [bytes].
RequestFraming frameRequest(std::string_view received, size_t maxHead, size_t maxBody);

}  // namespace sim
