// A recorded drawing rasterised by real GDI: the operations are played, in
// order, as the GDI calls they were recorded from, onto a 32-bit DIB section
// with a black background and a fixed-pitch font of the screen's line pitch.
// Pens and brushes are made per colour as the operations name them.
#include "platform/picture.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace render {
namespace {

// The MFD's text rows are height / 28 pixels; the font's em is a little smaller
// so that rows with descenders do not touch (as the Cairo renderer has it).
constexpr double kLinesPerScreen = 28.0;
constexpr double kEmPerLine = 0.9;
constexpr double kMinFontSize = 6.0;  // [pixels]

// GDI objects of one playback, freed at its end (after being deselected).
class Objects {
 public:
  explicit Objects(HDC dc) : dc_(dc) {}
  ~Objects() {
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    SelectObject(dc_, GetStockObject(BLACK_BRUSH));
    for (auto& [colour, pen] : pens_) DeleteObject(pen);
    for (auto& [colour, brush] : brushes_) DeleteObject(brush);
  }
  Objects(const Objects&) = delete;
  Objects& operator=(const Objects&) = delete;

  void pen(COLORREF colour) {
    HPEN& pen = pens_[colour];
    if (pen == nullptr) pen = CreatePen(PS_SOLID, 1, colour);
    SelectObject(dc_, pen);
  }
  void brush(COLORREF colour) {
    HBRUSH& brush = brushes_[colour];
    if (brush == nullptr) brush = CreateSolidBrush(colour);
    SelectObject(dc_, brush);
  }

 private:
  HDC dc_;
  std::map<COLORREF, HPEN> pens_;
  std::map<COLORREF, HBRUSH> brushes_;
};

// AngleArc as the operation means it. Wine draws an arc through ArcTo between
// its end points, and ArcTo draws a whole circle when those round to the same
// pixel; an arc of a sweep that small (a gauge at level 0 draws one of sweep
// 0) is only the line from the current point to the arc's start.
void angleArc(HDC dc, const GdiOp& op) {
  constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;
  const double r = op.radius;
  const double a0 = op.startDeg * kRadPerDeg, a1 = (double(op.startDeg) + op.sweepDeg) * kRadPerDeg;
  const long x0 = std::lround(op.x + r * std::cos(a0)), y0 = std::lround(op.y - r * std::sin(a0));
  const long x1 = std::lround(op.x + r * std::cos(a1)), y1 = std::lround(op.y - r * std::sin(a1));
  if (x0 == x1 && y0 == y1 && std::fabs(op.sweepDeg) < 180.0f) {
    LineTo(dc, int(x0), int(y0));
    return;
  }
  AngleArc(dc, op.x, op.y, op.radius, op.startDeg, op.sweepDeg);
}

void play(HDC dc, const std::vector<GdiOp>& ops) {
  Objects objects(dc);
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        SetTextColor(dc, op.colour);
        TextOutA(dc, op.x, op.y, op.text.data(), static_cast<int>(op.text.size()));
        break;
      case GdiOpKind::SetTextColor:
        SetTextColor(dc, op.colour);
        break;
      case GdiOpKind::SetBkMode:
        SetBkMode(dc, op.mode);
        break;
      case GdiOpKind::MoveTo:
        MoveToEx(dc, op.x, op.y, nullptr);
        break;
      case GdiOpKind::LineTo:
        objects.pen(op.colour);
        LineTo(dc, op.x, op.y);
        break;
      case GdiOpKind::AngleArc:
        objects.pen(op.colour);
        angleArc(dc, op);
        break;
      case GdiOpKind::BeginPath:
        BeginPath(dc);
        break;
      case GdiOpKind::EndPath:
        EndPath(dc);
        break;
      case GdiOpKind::StrokeAndFill:
        objects.brush(op.colour);
        objects.pen(op.penColour);
        StrokeAndFillPath(dc);
        break;
      case GdiOpKind::SelectObject:
        objects.brush(op.colour);
        break;
    }
  }
}

}  // namespace

void renderDrawing(const std::vector<GdiOp>& ops, uint32_t width, uint32_t height,
                   Picture& picture) {
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(size_t(width) * height, 0u);
  if (width == 0 || height == 0) return;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // each pixel 0x00RRGGBB in memory order B, G, R, unused
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (bitmap == nullptr || bits == nullptr || dc == nullptr) {
    if (dc != nullptr) DeleteDC(dc);
    if (bitmap != nullptr) DeleteObject(bitmap);
    return;  // all black
  }
  HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
  const int fontSize =
      static_cast<int>(std::lround(std::max(kMinFontSize, height / kLinesPerScreen * kEmPerLine)));
  HFONT font = CreateFontA(-fontSize, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           FIXED_PITCH | FF_MODERN, "DejaVu Sans Mono");
  HGDIOBJ previousFont = SelectObject(dc, font);
  PatBlt(dc, 0, 0, static_cast<int>(width), static_cast<int>(height), BLACKNESS);
  // The screen's state before a redraw: green pen and text, black stock brush,
  // opaque text on the black background.
  SetTextColor(dc, RGB(0, 255, 0));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  play(dc, ops);
  GdiFlush();

  const auto* rows = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = rows[i] & 0xffffffu;

  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

void releaseFontCaches() {}  // GDI keeps no caches of ours

}  // namespace render
