// A recorded drawing rasterised the way the host's screen shows it: black
// background, one-pixel pens, DejaVu Sans Mono text at the screen's line pitch.
// Conventions of the recorded operations: platform/gdi.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi_ops.h"

namespace render {

// Pixels row by row from the top left, each 0x00RRGGBB (Cairo's RGB24 order,
// not COLORREF's 0x00BBGGRR).
struct Picture {
  uint32_t width = 0;   // [pixels]
  uint32_t height = 0;  // [pixels]
  std::vector<uint32_t> pixels;

  uint32_t at(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

// Rasterises a drawing of a width x height screen into a picture that is kept
// from frame to frame: its pixel buffer is reused when the size stays. Cairo
// on Linux (platform/posix/picture/picture.cpp), GDI on Windows
// (platform/win32/picture/picture.cpp).
void renderDrawing(const std::vector<GdiOp>& ops, uint32_t width, uint32_t height,
                   Picture& picture);
// The same into a new picture.
inline Picture renderDrawing(const std::vector<GdiOp>& ops, uint32_t width, uint32_t height) {
  Picture picture;
  renderDrawing(ops, width, height, picture);
  return picture;
}

// Frees the font caches of Cairo and fontconfig, which otherwise live to the
// end of the process (and show as leaks under LeakSanitizer). Call once no more
// drawing follows, e.g. at the end of main.
void releaseFontCaches();

// The COLORREF 0x00BBGGRR as a Picture pixel 0x00RRGGBB.
constexpr uint32_t pixelOf(COLORREF c) {
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

}  // namespace render
