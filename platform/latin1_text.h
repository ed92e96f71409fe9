// Text drawn by the module is single-byte text in the Windows code page (what
// GDI's TextOutA takes); Cairo, JSON and the browser want UTF-8. Bytes from
// 0x80 are taken as Latin-1 (U+0080..U+00FF), which matches the code page for
// every printable character but a few in 0x80..0x9F.
#pragma once

#include <string>

namespace render {

inline std::string latin1ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xc0 | (c >> 6));
      out += char(0x80 | (c & 0x3f));
    }
  }
  return out;
}

}  // namespace render
