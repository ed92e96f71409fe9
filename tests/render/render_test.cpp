// The renderer against a few hand-made recordings: where pixels land and in
// which colour, and that a written PNG decodes to the same size.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/png_writer.h"
#include "render/page_text.h"

namespace {

GdiOp textOp(int32_t x, int32_t y, COLORREF c, const std::string& s) {
  GdiOp op{};
  op.kind = GdiOpKind::Text;
  op.x = x;
  op.y = y;
  op.colour = c;
  op.text = s;
  return op;
}
GdiOp pointOp(GdiOpKind kind, int32_t x, int32_t y, COLORREF pen = RGB(0, 255, 0),
              bool inPath = false) {
  GdiOp op{};
  op.kind = kind;
  op.x = x;
  op.y = y;
  op.colour = pen;
  op.inPath = inPath;
  return op;
}
GdiOp arcOp(int32_t cx, int32_t cy, uint32_t r, float start, float sweep) {
  GdiOp op{};
  op.kind = GdiOpKind::AngleArc;
  op.x = cx;
  op.y = cy;
  op.radius = r;
  op.startDeg = start;
  op.sweepDeg = sweep;
  op.colour = RGB(0, 255, 0);
  return op;
}

size_t countPixels(const render::Picture& p, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1,
                   bool (*match)(uint32_t)) {
  size_t n = 0;
  for (uint32_t y = y0; y < y1; ++y)
    for (uint32_t x = x0; x < x1; ++x) n += match(p.at(x, y)) ? 1 : 0;
  return n;
}
bool isGreen(uint32_t px) { return px == 0x00ff00u; }
bool isReddish(uint32_t px) {
  return ((px >> 16) & 0xff) > 150 && ((px >> 8) & 0xff) < 60 && (px & 0xff) < 60;
}

TEST(Renderer, BackgroundIsBlackAndTextTakesItsColourBelowAndRightOfItsCorner) {
  const auto pic = render::renderDrawing({textOp(100, 50, RGB(255, 0, 0), "HHH")}, 256, 280);
  ASSERT_EQ(pic.pixels.size(), 256u * 280u);
  EXPECT_EQ(pic.at(0, 0), 0u);
  EXPECT_EQ(countPixels(pic, 0, 0, 256, 50, isReddish), 0u);      // nothing above y
  EXPECT_EQ(countPixels(pic, 0, 0, 100, 280, isReddish), 0u);     // nothing left of x
  EXPECT_GT(countPixels(pic, 100, 50, 140, 62, isReddish), 10u);  // the glyphs
}

TEST(Renderer, SingleByteTextBeyondAsciiDoesNotStopTheDrawing) {
  const auto pic = render::renderDrawing(
      {textOp(0, 0, RGB(255, 0, 0), "12\xb0 \xff\x80"), pointOp(GdiOpKind::MoveTo, 10, 50),
       pointOp(GdiOpKind::LineTo, 60, 50, RGB(0, 0, 255))},
      100, 100);
  EXPECT_GT(countPixels(pic, 0, 0, 100, 20, isReddish), 5u);
  EXPECT_EQ(pic.at(30, 50), 0x0000ffu);
}

TEST(Renderer, LinesUseTheRecordedPenFromTheCurrentPoint) {
  const auto pic = render::renderDrawing(
      {pointOp(GdiOpKind::MoveTo, 10, 20), pointOp(GdiOpKind::LineTo, 60, 20, RGB(0, 0, 255))}, 100,
      100);
  EXPECT_EQ(pic.at(30, 20), 0x0000ffu);
  EXPECT_EQ(pic.at(30, 21), 0u);
  EXPECT_EQ(pic.at(5, 20), 0u);
  EXPECT_EQ(pic.at(70, 20), 0u);
}

TEST(Renderer, PositiveSweepRunsCounterClockwiseOnScreen) {
  // Centre (50, 50), radius 30, from 0 deg (right) sweeping +90: the quarter
  // from the right to the top (y up), i.e. the upper right of the picture.
  const auto pic = render::renderDrawing(
      {pointOp(GdiOpKind::MoveTo, 80, 50), arcOp(50, 50, 30, 0.0f, 90.0f)}, 100, 100);
  EXPECT_GT(countPixels(pic, 51, 15, 85, 49, isGreen), 20u);   // upper right quadrant
  EXPECT_EQ(countPixels(pic, 51, 52, 100, 100, isGreen), 0u);  // lower right stays dark
  EXPECT_EQ(countPixels(pic, 0, 0, 48, 100, isGreen), 0u);     // left half stays dark

  const auto clockwise = render::renderDrawing(
      {pointOp(GdiOpKind::MoveTo, 80, 50), arcOp(50, 50, 30, 0.0f, -90.0f)}, 100, 100);
  EXPECT_GT(countPixels(clockwise, 51, 52, 85, 85, isGreen), 20u);
  EXPECT_EQ(countPixels(clockwise, 51, 0, 100, 49, isGreen), 0u);
}

TEST(Renderer, ArcStartsWithALineFromTheCurrentPoint) {
  const auto pic = render::renderDrawing(
      {pointOp(GdiOpKind::MoveTo, 5, 50), arcOp(50, 50, 20, 0.0f, 10.0f)}, 100, 100);
  EXPECT_EQ(pic.at(20, 50), 0x00ff00u);  // on the line from (5, 50) to (70, 50)
}

TEST(Renderer, StrokeAndFillFillsThePathWithTheBrushAndOutlinesWithThePen) {
  GdiOp fill{};
  fill.kind = GdiOpKind::StrokeAndFill;
  fill.colour = RGB(0, 200, 0);
  fill.penColour = RGB(0, 255, 0);
  const auto pic = render::renderDrawing(
      {pointOp(GdiOpKind::BeginPath, 0, 0), pointOp(GdiOpKind::MoveTo, 10, 10, 0, true),
       pointOp(GdiOpKind::LineTo, 40, 10, RGB(0, 255, 0), true),
       pointOp(GdiOpKind::LineTo, 40, 40, RGB(0, 255, 0), true),
       pointOp(GdiOpKind::LineTo, 10, 40, RGB(0, 255, 0), true), pointOp(GdiOpKind::EndPath, 0, 0),
       fill},
      64, 64);
  EXPECT_EQ(pic.at(25, 25), 0x00c800u);  // inside: brush
  EXPECT_EQ(pic.at(25, 10), 0x00ff00u);  // edge: pen
  EXPECT_EQ(pic.at(10, 25), 0x00ff00u);  // closing edge: pen
  EXPECT_EQ(pic.at(50, 50), 0u);
}

TEST(Renderer, PathOpsDrawNothingUntilStrokeAndFill) {
  const auto pic = render::renderDrawing(
      {pointOp(GdiOpKind::BeginPath, 0, 0), pointOp(GdiOpKind::MoveTo, 10, 10, 0, true),
       pointOp(GdiOpKind::LineTo, 40, 10, RGB(0, 255, 0), true), pointOp(GdiOpKind::EndPath, 0, 0)},
      64, 64);
  EXPECT_EQ(countPixels(pic, 0, 0, 64, 64, isGreen), 0u);
}

// The pixels of a PNG file as a Picture, decoded by Cairo (not by the writer's
// libpng code).
render::Picture readPng(const std::string& path) {
  render::Picture p;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    p.width = uint32_t(cairo_image_surface_get_width(s));
    p.height = uint32_t(cairo_image_surface_get_height(s));
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (uint32_t y = 0; y < p.height; ++y)
      for (uint32_t x = 0; x < p.width; ++x)
        p.pixels.push_back(reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x] &
                           0xffffffu);
  }
  cairo_surface_destroy(s);
  return p;
}

// Encoded, written out and decoded by another reader, pictures come back
// pixel for pixel, whatever the encoder saw before them.
TEST(Png, FilesDecodeToExactlyThePixelsEncoded) {
  const std::string path = testing::TempDir() + "png_writer_" + std::to_string(getpid()) + ".png";
  // A drawing with text, lines, arcs and a filled path in several colours.
  GdiOp fill = pointOp(GdiOpKind::StrokeAndFill, 0, 0, RGB(10, 20, 200));
  fill.penColour = RGB(255, 255, 0);
  const render::Picture page = render::renderDrawing(
      {textOp(3, 2, RGB(0, 255, 0), "Pitch +12.34"), textOp(40, 200, RGB(255, 128, 0), "Hold"),
       pointOp(GdiOpKind::MoveTo, 5, 5), pointOp(GdiOpKind::LineTo, 250, 270, RGB(0, 0, 255)),
       arcOp(128, 140, 60, 90.0f, 270.0f), pointOp(GdiOpKind::BeginPath, 0, 0),
       pointOp(GdiOpKind::MoveTo, 100, 100, 0, true),
       pointOp(GdiOpKind::LineTo, 150, 100, RGB(0, 255, 0), true),
       pointOp(GdiOpKind::LineTo, 125, 150, RGB(0, 255, 0), true),
       pointOp(GdiOpKind::EndPath, 0, 0), fill},
      256, 280);
  // Every byte value in every channel, with an odd width (rows not a multiple of 4 bytes).
  render::Picture noise;
  noise.width = 77;
  noise.height = 31;
  uint32_t state = 12345u;
  for (size_t i = 0; i < size_t(noise.width) * noise.height; ++i) {
    state = state * 1664525u + 1013904223u;
    noise.pixels.push_back(state >> 8);
  }
  std::string error;
  std::vector<unsigned char> png;
  for (const render::Picture* picture : {&page, static_cast<const render::Picture*>(&noise)}) {
    ASSERT_TRUE(render::encodePng(*picture, png, error)) << error;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    const render::Picture back = readPng(path);
    EXPECT_EQ(back.width, picture->width);
    EXPECT_EQ(back.height, picture->height);
    EXPECT_TRUE(back.pixels == picture->pixels);
  }
  std::remove(path.c_str());

  EXPECT_FALSE(render::encodePng(render::Picture{}, png, error));
  EXPECT_TRUE(png.empty());
}

TEST(Renderer, RenderingIntoAKeptPictureGivesTheSamePixels) {
  const std::vector<GdiOp> ops = {textOp(10, 10, RGB(255, 0, 0), "ABC"),
                                  arcOp(50, 50, 20, 0.0f, 180.0f)};
  render::Picture kept;
  render::renderDrawing({textOp(0, 0, RGB(0, 0, 255), "old frame")}, 64, 64, kept);
  render::renderDrawing(ops, 64, 64, kept);
  EXPECT_TRUE(kept.pixels == render::renderDrawing(ops, 64, 64).pixels);
  render::renderDrawing(ops, 32, 16, kept);  // a new size
  EXPECT_EQ(kept.pixels.size(), 32u * 16u);
}

TEST(PageText, GroupsTextByLineTopToBottomAndOrdersPiecesByX) {
  const auto lines =
      render::pageText({textOp(50, 20, 0, "world"), textOp(0, 10, 0, "Title"),
                        pointOp(GdiOpKind::LineTo, 1, 1), textOp(0, 20, 0, "hello")});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Title");
  EXPECT_EQ(lines[1], "hello world");
}

// Cairo's and fontconfig's caches freed at the end, so that leak checkers see
// only our own allocations.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { render::releaseFontCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
