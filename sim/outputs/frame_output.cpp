// The picture outputs (--frames, --gif): the only part of a flight that needs
// Cairo, libpng and giflib (on Windows GDI and the Windows Imaging Component).
// On Linux the lean gyrelle-sim is built without them (no_pictures.cpp).
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>

#include "platform/picture.h"
#include "platform/png_writer.h"
#include "platform/temp_file.h"
#include "sim/outputs/gif_output.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/run_outputs.h"

namespace sim {
namespace {

// A picture's name: "screenN-TTTTTT.mmm.png" for screen N at t [s].
std::string frameName(size_t screen, double t) {
  // Whole milliseconds; t is at most 1e9 steps of an hour, far inside the range.
  const long long ms = std::llround(std::fmax(t, 0.0) * 1000.0);
  char name[64];
  std::snprintf(name, sizeof name, "screen%zu-%06lld.%03lld.png", screen, ms / 1000, ms % 1000);
  return name;
}

bool isFrameName(std::string_view name) {
  static const std::regex kFrameName("screen[0-9]+-[0-9]{6,}\\.[0-9]{3}\\.png");
  return std::regex_match(name.begin(), name.end(), kFrameName);
}

class FrameOutput : public Output {
 public:
  FrameOutput(const std::string& dir, double every) : dir_(dir), due_(every) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) throw OutputError(dir + ": cannot create the folder: " + ec.message());
    if (!std::filesystem::is_directory(dir, ec))
      throw OutputError(dir + ": cannot write: not a folder");
    if (access(dir.c_str(), W_OK | X_OK) != 0)
      throw OutputError(dir + ": cannot write: " + std::strerror(errno));
    // Once for the folder, not at every picture.
    removeStaleTemporaries(dir, isFrameName);
  }
  void sampled(double t, halcyra::World& world) override {
    if (due_.due(t)) write(t, world);
  }
  // The last pictures, unless written at t already.
  void finished(double t, halcyra::World& world) override {
    if (lastWritten_ != t) write(t, world);
  }

 private:
  void write(double t, halcyra::World& world);

  std::string dir_;
  Interval due_;
  double lastWritten_ = -1.0;  // [s]
  // Each screen's last picture file and the drawing it shows: a screen whose
  // drawing has not changed since (most pages most of the time) gets those
  // bytes again, neither drawn nor compressed.
  struct Shown {
    std::vector<GdiOp> ops;
    uint32_t width = 0, height = 0;  // [pixels]
    std::vector<unsigned char> png;  // empty until one is written
  };
  std::vector<Shown> shown_;
  render::Picture picture_;  // its buffer reused from picture to picture
};

void FrameOutput::write(double t, halcyra::World& world) {
  if (shown_.size() < world.screenCount()) shown_.resize(world.screenCount());
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    Shown& shown = shown_[i];
    OutputFile file(dir_ + "/" + frameName(i, t), 0, /*sweep=*/false);
    if (shown.png.empty() || shown.width != s.width || shown.height != s.height ||
        shown.ops != s.lastDrawing) {
      render::renderDrawing(s.lastDrawing, s.width, s.height, picture_);
      std::string error;
      if (!render::encodePng(picture_, shown.png, error))
        throw OutputError(file.path() + ": " + error);
      shown.ops = s.lastDrawing;
      shown.width = s.width;
      shown.height = s.height;
    }
    // Unbuffered: the picture's file is written whole, in one call.
    std::setvbuf(file.stream(), nullptr, _IONBF, 0);
    file.put(std::string_view(reinterpret_cast<const char*>(shown.png.data()), shown.png.size()));
    file.commit();
  }
  lastWritten_ = t;
}

}  // namespace

std::unique_ptr<Output> openFrames(const std::string& dir, double every) {
  return std::make_unique<FrameOutput>(dir, every);
}

void openPictureOutputs(const RunOptions& o, const Scenario& s, halcyra::World& world,
                        std::vector<std::unique_ptr<Output>>& outputs) {
  if (!o.framesDir.empty()) outputs.push_back(openFrames(o.framesDir, o.frameEvery));
  if (!o.gifDir.empty())
    outputs.push_back(openGifOutput(o.gifDir, o.gifSpeed, o.gifEvery, s.redraw, world));
}

void releasePictureCaches() noexcept { render::releaseFontCaches(); }

}  // namespace sim
