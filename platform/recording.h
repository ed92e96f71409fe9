// How the host records a redraw: a device context of the screen's size to hand
// to the module's Redraw, and afterwards the GDI calls made on it as drawing
// operations (platform/gdi_ops.h).
//
// The device context starts as the host's screen does: a green one-pixel pen,
// green text, the black stock brush, opaque text background; the screen's
// background is black. On Linux it is the recording stand-in; on Windows an
// enhanced-metafile device context of real GDI, whose records are read back
// into the same operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/gdi_ops.h"

class GYRELLE_PLATFORM_API Recording {
 public:
  Recording(uint32_t width, uint32_t height);  // [pixels]
  ~Recording();
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  // Before drawing: records into the storage of an earlier recording's
  // operations and their spare text buffers (both taken, left empty), so that
  // a host redrawing a screen again and again stops allocating for it.
  void reuse(std::vector<GdiOp>& ops, std::vector<std::string>& spareText);

  // The device context to draw on; valid until finish().
  HDC dc() const;
  // Ends the recording and returns what was drawn, in call order. Afterwards
  // dc() is no longer valid and finish() returns nothing more.
  std::vector<GdiOp> finish();
  // The same into ops, and the text buffers left over into spareText.
  void finish(std::vector<GdiOp>& ops, std::vector<std::string>& spareText);

 private:
  struct Surface;
  std::unique_ptr<Surface> surface_;
};
