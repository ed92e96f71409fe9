// What the lean gyrelle-sim has in place of the pictures (hand_over.h): the
// outputs that draw them are never made, since a command line that asks for
// them (--frames, --gif) is handed over to gyrelle-sim-full. Should one be
// reached all the same, it fails as an output that cannot be written.
#include <stdexcept>

#include "render/picture.h"
#include "render/png_writer.h"
#include "sim/gif_writer.h"
#include "sim/output_file.h"

namespace {

const char kNoPictures[] = "pictures are drawn by gyrelle-sim-full, not by this program";

}  // namespace

namespace render {

void renderDrawing(const std::vector<GdiOp>&, uint32_t, uint32_t, Picture&) {
  throw std::runtime_error(kNoPictures);
}

bool writePng(const Picture&, const std::string&, std::string& error) {
  error = kNoPictures;
  return false;
}

void releaseFontCaches() {}

struct PngWriter::Kept {};
PngWriter::PngWriter() = default;
PngWriter::~PngWriter() = default;
PngWriter::PngWriter(PngWriter&&) noexcept = default;
PngWriter& PngWriter::operator=(PngWriter&&) noexcept = default;

bool PngWriter::write(const Picture&, const std::string&, std::string& error) {
  error = kNoPictures;
  return false;
}

bool PngWriter::write(const Picture&, FILE*, const std::string&, std::string& error) {
  error = kNoPictures;
  return false;
}

bool PngWriter::writeLast(FILE*, const std::string&, std::string& error) {
  error = kNoPictures;
  return false;
}

}  // namespace render

namespace sim {

struct GifWriter::Animation {};

GifWriter::GifWriter(const std::string& dir, double speed, double every, double interval,
                     halcyra::World&)
    : speed_(speed), every_(every), interval_(interval) {
  throw OutputError(dir + ": " + kNoPictures);
}

GifWriter::~GifWriter() = default;

void GifWriter::redrawn(double, size_t, const halcyra::Screen&) {}
void GifWriter::sample(double, halcyra::World&) {}
void GifWriter::finish(double, halcyra::World&) {}
void GifWriter::add(double, size_t, const halcyra::Screen&) {}

}  // namespace sim
