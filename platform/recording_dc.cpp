// The GDI stand-in: each call appends one GdiOp to the device context with the
// state it used. A null device context is refused (0, CLR_INVALID or null) and
// nothing is recorded.
#include "platform/recording_dc.h"

#include <cmath>
#include <cstring>

DeviceContext::DeviceContext(uint32_t width_, uint32_t height_)
    : width(width_), height(height_), selected(stockBrush()) {}

void DeviceContext::recycle() {
  for (GdiOp& op : ops)
    if (op.text.capacity() > std::string().capacity())  // beyond the in-place buffer
      spareText.push_back(std::move(op.text));
  ops.clear();
}

namespace {

GdiOp& record(HDC dc, GdiOpKind kind) {
  dc->ops.push_back(GdiOp{});
  GdiOp& op = dc->ops.back();
  op.kind = kind;
  op.inPath = dc->inPath;
  return op;
}

// The colour of the selected brush. The brush table keeps retired brushes
// readable, so a brush deleted while selected still answers its colour.
COLORREF brushColour(HGDIOBJ brush) { return brush != nullptr ? brush->colour : RGB(0, 0, 0); }

}  // namespace

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
  if (dc == nullptr || text == nullptr || length < 0) return 0;
  GdiOp& op = record(dc, GdiOpKind::Text);
  op.x = x;
  op.y = y;
  op.colour = dc->textColour;
  if (!dc->spareText.empty()) {
    op.text = std::move(dc->spareText.back());
    dc->spareText.pop_back();
  }
  // Never read past a terminator, even when the length claims more.
  op.text.assign(text, strnlen(text, static_cast<size_t>(length)));
  return 1;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  if (dc == nullptr) return CLR_INVALID;
  COLORREF previous = dc->textColour;
  dc->textColour = colour;
  record(dc, GdiOpKind::SetTextColor).colour = colour;
  return previous;
}

int SetBkMode(HDC dc, int mode) {
  if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->bkMode;
  dc->bkMode = mode;
  record(dc, GdiOpKind::SetBkMode).mode = mode;
  return previous;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  if (dc == nullptr) return 0;
  if (previous != nullptr) *previous = dc->current;
  dc->current = POINT{x, y};
  GdiOp& op = record(dc, GdiOpKind::MoveTo);
  op.x = x;
  op.y = y;
  return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (dc == nullptr) return 0;
  dc->current = POINT{x, y};
  GdiOp& op = record(dc, GdiOpKind::LineTo);
  op.x = x;
  op.y = y;
  op.colour = dc->penColour;
  return 1;
}

BOOL AngleArc(HDC dc, int x, int y, uint32_t radius, float startDeg, float sweepDeg) {
  if (dc == nullptr || !std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return 0;
  GdiOp& op = record(dc, GdiOpKind::AngleArc);
  op.x = x;
  op.y = y;
  op.radius = radius;
  op.startDeg = startDeg;
  op.sweepDeg = sweepDeg;
  op.colour = dc->penColour;
  // The current point moves to the arc's end; angles count counter-clockwise
  // with y up, the surface's y runs down.
  constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;
  const double endRad = (static_cast<double>(startDeg) + sweepDeg) * kRadPerDeg;
  dc->current = POINT{static_cast<int32_t>(std::lround(x + radius * std::cos(endRad))),
                      static_cast<int32_t>(std::lround(y - radius * std::sin(endRad)))};
  return 1;
}

BOOL BeginPath(HDC dc) {
  if (dc == nullptr) return 0;
  record(dc, GdiOpKind::BeginPath);
  dc->inPath = true;
  return 1;
}

BOOL EndPath(HDC dc) {
  if (dc == nullptr || !dc->inPath) return 0;  // no open path to close
  dc->inPath = false;
  record(dc, GdiOpKind::EndPath);
  return 1;
}

BOOL StrokeAndFillPath(HDC dc) {
  if (dc == nullptr || dc->inPath) return 0;  // the path must be closed by EndPath first
  GdiOp& op = record(dc, GdiOpKind::StrokeAndFill);
  op.colour = brushColour(dc->selected);
  op.penColour = dc->penColour;
  return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  // Only brushes exist here: the stock brush and live solid brushes.
  if (dc == nullptr || (object != stockBrush() && !isLiveBrush(object))) return nullptr;
  HGDIOBJ previous = dc->selected;
  dc->selected = object;
  record(dc, GdiOpKind::SelectObject).colour = object->colour;
  return previous;
}
