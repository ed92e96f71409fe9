// A drawing as the host keeps it: the GDI calls of one redraw as operations,
// in order, each with the state it used. The same on every platform: on Linux
// the recording device context makes them, on Windows they are read back from
// the enhanced metafile the redraw was recorded in. Read by the host (text of
// the last page), render/ (PNG) and gyrelle-sim's --dump.
#pragma once

#include <cstdint>
#include <string>

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

// Field by field: two drawings of equal operations draw the same pixels.
inline bool operator==(const GdiOp& a, const GdiOp& b) {
  return a.kind == b.kind && a.x == b.x && a.y == b.y && a.colour == b.colour &&
         a.penColour == b.penColour && a.radius == b.radius && a.startDeg == b.startDeg &&
         a.sweepDeg == b.sweepDeg && a.mode == b.mode && a.inPath == b.inPath && a.text == b.text;
}
inline bool operator!=(const GdiOp& a, const GdiOp& b) { return !(a == b); }
