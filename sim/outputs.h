// The runner's outputs: the drawing dump (--dump), the telemetry table
// (--telemetry) and the screen pictures (--frames). Their formats are
// contracts that other tools read; keep them exactly:
// - dump: "frame T S" (time with 3 decimals, screen index) opens each redraw,
//   then one line per drawing call: "text X Y RRGGBB TEXT", "move X Y",
//   "line X Y", "arc CX CY R START SWEEP", "begin-path", "end-path",
//   "stroke-fill RRGGBB" (the brush's colour); colours in hex;
// - telemetry: the CSV header in outputs.cpp, one row per vessel;
// - frames: screenN-TTTTTT.mmm.png, the time in seconds and milliseconds,
//   zero padded so that names sort in time order.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/world.h"
#include "render/picture.h"
#include "render/png_writer.h"
#include "sim/output_file.h"

namespace sim {

// [bytes] The buffers of the telemetry, which can write a row a step, and of
// the dump, which writes a few kilobytes a redraw.
constexpr size_t kTelemetryBuffer = size_t(1) << 16;
constexpr size_t kDumpBuffer = size_t(1) << 16;

// Every redraw as text: "frame T S", then one line per drawing operation.
class DumpWriter {
 public:
  explicit DumpWriter(const std::string& path) : file_(path, kDumpBuffer) {}
  void write(double t, size_t screen, const std::vector<GdiOp>& ops);
  void commit() { file_.commit(); }
  OutputFile& file() { return file_; }

 private:
  OutputFile file_;
  std::vector<char> buffer_;  // one redraw's lines, kept for the next
};

// One CSV row per vessel at t = 0 and every `every` seconds.
class TelemetryWriter {
 public:
  TelemetryWriter(const std::string& path, double every);  // every [s]
  // Writes the rows for t when due.
  void sample(double t, halcyra::World& world);
  void commit() { file_.commit(); }
  OutputFile& file() { return file_; }

 private:
  OutputFile file_;
  double every_;
  double next_ = 0.0;  // [s]
  std::string text_;   // one sample's rows
};

// screenN-TTTTTT.mmm.png of every screen every `every` seconds and at the
// end, each written once under its name as an OutputFile.
class FrameWriter {
 public:
  FrameWriter(const std::string& dir, double every);  // throws OutputError
  void sample(double t, halcyra::World& world);       // when due
  void final(double t, halcyra::World& world);        // at the end, unless written at t

 private:
  void write(double t, halcyra::World& world);

  std::string dir_;
  double every_;
  double next_ = 0.0;        // [s]
  double lastWritten_ = -1;  // [s]
  // What each screen's last picture was drawn from. Its writer keeps the
  // picture and its file, which the next picture often repeats: a drawing
  // equal to the last is written again without drawing it.
  struct Shown {
    render::PngWriter png;
    std::vector<GdiOp> ops;
    uint32_t width = 0, height = 0;  // [pixels]
    bool written = false;            // the writer holds the picture of these
  };
  render::Picture picture_;  // reused from frame to frame
  std::vector<Shown> shown_;
};

// A picture's name: "screenN-TTTTTT.mmm.png" for screen N at t [s].
std::string frameName(size_t screen, double t);
// Whether name is a picture's name of that form.
bool isFrameName(std::string_view name);

}  // namespace sim
