// The recording device context behind the GDI stand-in: every drawing call
// becomes one GdiOp, in order, with the state it used. Read by the host (text
// of the last page), render/ (PNG) and the runner's --dump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi.h"

enum class GdiOpKind {
  Text,          // TextOutA: x, y (top left), colour = text colour, text
  SetTextColor,  // colour = the new text colour
  SetBkMode,     // mode
  MoveTo,        // x, y
  LineTo,        // x, y; colour = pen colour
  AngleArc,      // x, y = centre; radius, startDeg, sweepDeg; colour = pen colour
  BeginPath,
  EndPath,
  StrokeAndFill,  // colour = the selected brush's colour, penColour = the pen's
  SelectObject,   // colour = the selected brush's colour
};

struct GdiOp {
  GdiOpKind kind;
  int32_t x = 0;
  int32_t y = 0;
  COLORREF colour = 0;
  COLORREF penColour = 0;
  uint32_t radius = 0;
  float startDeg = 0.0f;
  float sweepDeg = 0.0f;
  int32_t mode = 0;
  bool inPath = false;  // made between BeginPath and EndPath (builds a path, draws nothing)
  std::string text;
};

struct GdiObject {
  COLORREF colour;  // a solid brush's colour
};

struct GYRELLE_PLATFORM_API DeviceContext {
  DeviceContext(uint32_t width, uint32_t height);

  uint32_t width;   // [pixels]
  uint32_t height;  // [pixels]
  std::vector<GdiOp> ops;
  // Text buffers of an earlier recording, taken by TextOutA before it
  // allocates a new one: a host that redraws into the same lists again
  // (recycle) records a page without allocating.
  std::vector<std::string> spareText;

  // Empties ops for a new recording, keeping its storage and its texts' buffers.
  void recycle();

  // Drawing state. The host's screen starts with a green one-pixel pen, a
  // green text colour and a stock brush; the background is black.
  COLORREF textColour = RGB(0, 255, 0);
  COLORREF penColour = RGB(0, 255, 0);
  int32_t bkMode = OPAQUE;
  HGDIOBJ selected = nullptr;  // the selected brush
  POINT current{0, 0};
  bool inPath = false;
};

// The stock brush a fresh device context has selected (black).
GYRELLE_PLATFORM_API HBRUSH stockBrush();

// Whether a brush handle is one CreateSolidBrush made and DeleteObject has not freed.
GYRELLE_PLATFORM_API bool isLiveBrush(HGDIOBJ object);
