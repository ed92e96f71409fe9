#include "platform/picture.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/latin1_text.h"

namespace render {
namespace {

// The text line pitch a module gets for a screen: height / 28 [pixels]; the
// font's em is a little smaller so that lines with descenders do not touch.
constexpr double kLinesPerScreen = 28.0;
constexpr double kEmPerLine = 0.9;
constexpr double kMinFontSize = 6.0;  // [pixels]
constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;

void setColour(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// GDI pixel (x, y) is the square from (x, y) to (x + 1, y + 1); a one-pixel pen
// runs through its centre.
double centre(int32_t v) { return v + 0.5; }

// Appends a GDI AngleArc to the current path. GDI angles are counter-clockwise
// with y up; Cairo's y runs down, so an angle a on screen is -a in Cairo, and a
// positive (counter-clockwise) sweep runs in Cairo's negative direction.
void appendAngleArc(cairo_t* cr, const GdiOp& op) {
  const double cx = centre(op.x), cy = centre(op.y), r = op.radius;
  const double a0 = -op.startDeg * kRadPerDeg;
  const double a1 = -(double(op.startDeg) + op.sweepDeg) * kRadPerDeg;
  // cairo_arc* start with a line from the current point to the arc's start,
  // which is exactly GDI's behaviour.
  if (op.sweepDeg >= 0.0f) {
    cairo_arc_negative(cr, cx, cy, r, a0, a1);
  } else {
    cairo_arc(cr, cx, cy, r, a0, a1);
  }
}

struct Canvas {
  cairo_surface_t* surface;
  cairo_t* cr;
  ~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

}  // namespace

void renderDrawing(const std::vector<GdiOp>& ops, uint32_t width, uint32_t height,
                   Picture& picture) {
  picture.width = width;
  picture.height = height;
  // Sized only: the black paint below sets every pixel.
  picture.pixels.resize(size_t(width) * height);
  if (width == 0 || height == 0) return;

  // Cairo draws straight into the picture: an RGB24 row is width 32-bit
  // pixels, 0xXXRRGGBB with the top byte unused (cleared at the end).
  const int stride = int(width) * 4;
  Canvas canvas{
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(picture.pixels.data()),
                                          CAIRO_FORMAT_RGB24, int(width), int(height), stride),
      nullptr};
  canvas.cr = cairo_create(canvas.surface);
  cairo_t* cr = canvas.cr;

  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // GDI draws aliased lines and fills
  cairo_set_line_width(cr, 1.0);
  cairo_select_font_face(cr, "DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, std::max(kMinFontSize, height / kLinesPerScreen * kEmPerLine));
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);

  double curX = 0.5, curY = 0.5;  // the current point, pixel centre
  bool building = false;          // between BeginPath and EndPath
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        setColour(cr, op.colour);
        cairo_new_path(cr);
        cairo_move_to(cr, op.x, op.y + font.ascent);  // GDI places the top left
        cairo_show_text(cr,
                        latin1ToUtf8(op.text).c_str());  // Cairo stops at text that is not UTF-8
        cairo_new_path(cr);
        break;
      case GdiOpKind::MoveTo:
        curX = centre(op.x);
        curY = centre(op.y);
        if (building) cairo_move_to(cr, curX, curY);
        break;
      case GdiOpKind::LineTo:
        if (!building) {
          cairo_new_path(cr);
          cairo_move_to(cr, curX, curY);
        }
        cairo_line_to(cr, centre(op.x), centre(op.y));
        curX = centre(op.x);
        curY = centre(op.y);
        if (!building) {
          setColour(cr, op.colour);
          cairo_stroke(cr);
        }
        break;
      case GdiOpKind::AngleArc:
        if (!building) {
          cairo_new_path(cr);
          cairo_move_to(cr, curX, curY);
        }
        appendAngleArc(cr, op);
        cairo_get_current_point(cr, &curX, &curY);
        if (!building) {
          setColour(cr, op.colour);
          cairo_stroke(cr);
        }
        break;
      case GdiOpKind::BeginPath:
        building = true;
        cairo_new_path(cr);
        cairo_move_to(cr, curX, curY);
        break;
      case GdiOpKind::EndPath:
        building = false;
        break;
      case GdiOpKind::StrokeAndFill:
        cairo_close_path(cr);
        setColour(cr, op.colour);
        cairo_fill_preserve(cr);
        setColour(cr, op.penColour);
        cairo_stroke(cr);  // also ends the path, as GDI discards it
        break;
      case GdiOpKind::SetTextColor:
      case GdiOpKind::SetBkMode:  // the background is black: opaque text boxes change nothing
      case GdiOpKind::SelectObject:
        break;
    }
  }
  cairo_surface_flush(canvas.surface);
  // The top bytes cleared eight pixels at a time, which the compiler turns
  // into vector operations (a pixel at a time it does not).
  uint32_t* p = picture.pixels.data();
  const size_t n = picture.pixels.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8)
    for (size_t k = 0; k < 8; ++k) p[i + k] &= 0xffffffu;
  for (; i < n; ++i) p[i] &= 0xffffffu;
}

void releaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace render
