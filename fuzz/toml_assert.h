// toml++'s own assertions in the fuzz build, which compiles the parser from
// its headers (force-included before them, see sim/CMakeLists.txt). A failed
// assertion stops the fuzzer like a sanitizer report, with one exception:
// toml++ 3.3.0 asserts that a key starts with a bare-key character or a quote
// when parse_key() is entered, but a table header such as "[!]" enters it
// with any character. The parser then reports "expected bare key starting
// character or string delimiter" as it should, and the library as Debian
// builds it (NDEBUG) has no such check; fuzz/crashes/ keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gyrelle_fuzz {

inline void tomlAssertFailed(const char* expr, const char* file, int line) {
  if (std::strcmp(expr, "is_bare_key_character(*cp) || is_string_delimiter(*cp)") == 0) return;
  std::fprintf(stderr, "%s:%d: toml++ assertion failed: %s\n", file, line, expr);
  std::abort();
}

}  // namespace gyrelle_fuzz

#define TOML_ASSERT(expr) \
  ((expr) ? static_cast<void>(0) : ::gyrelle_fuzz::tomlAssertFailed(#expr, __FILE__, __LINE__))
