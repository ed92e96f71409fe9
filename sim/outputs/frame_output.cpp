#include "sim/outputs/frame_output.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/png_writer.h"
#include "platform/temp_file.h"
#include "sim/outputs/output_file.h"

namespace sim {

FrameOutput::FrameOutput(const std::string& dir, double every) : dir_(dir), due_(every) {
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

bool isFrameName(std::string_view name) {
  // screenN-TTTTTT.mmm.png
  auto digits = [&](size_t at, size_t count) {
    return name.size() >= at + count &&
           name.substr(at, count).find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (name.substr(0, 6) != "screen" || name.size() < 6 + 1 + 1 + 6 + 4 + 4) return false;
  const size_t dash = name.find('-', 6);
  if (dash == std::string_view::npos || dash == 6 || !digits(6, dash - 6)) return false;
  const size_t dot = name.find('.', dash);
  return dot != std::string_view::npos && dot - dash - 1 >= 6 && digits(dash + 1, dot - dash - 1) &&
         name.size() == dot + 8 && digits(dot + 1, 3) && name.substr(dot + 4) == ".png";
}

std::string frameName(size_t screen, double t) {
  // Whole milliseconds; t is at most 1e9 steps of an hour, far inside the range.
  const long long ms = std::llround(std::fmax(t, 0.0) * 1000.0);
  char name[64];
  std::snprintf(name, sizeof name, "screen%zu-%06lld.%03lld.png", screen, ms / 1000, ms % 1000);
  return name;
}

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

void FrameOutput::sampled(double t, halcyra::World& world) {
  if (due_.due(t)) write(t, world);
}

void FrameOutput::finished(double t, halcyra::World& world) {
  if (lastWritten_ != t) write(t, world);
}

}  // namespace sim
