// The animated screens on Windows: giflib is not built for it, so --gif is
// refused with a clear message before the run starts, and nothing is written.
#include "sim/gif_writer.h"
#include "sim/output_file.h"

namespace sim {

struct GifWriter::Animation {};

GifWriter::GifWriter(const std::string& dir, double speed, double every, double interval,
                     halcyra::World& /*world*/)
    : speed_(speed), every_(every), interval_(interval) {
  throw OutputError(dir + ": animated screens (--gif) are not available in the Windows build");
}

GifWriter::~GifWriter() = default;

void GifWriter::redrawn(double, size_t, const halcyra::Screen&) {}
void GifWriter::sample(double, halcyra::World&) {}
void GifWriter::finish(double, halcyra::World&) {}
void GifWriter::add(double, size_t, const halcyra::Screen&) {}

}  // namespace sim
