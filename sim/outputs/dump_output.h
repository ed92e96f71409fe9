// --dump FILE: every redraw as text, a contract that other tools read. A line
// "frame T S" (time with 3 decimals, screen index) opens each redraw; then one
// line per drawing call: "text X Y RRGGBB TEXT" (TEXT the rest of the line,
// as drawn), "move X Y", "line X Y", "arc CX CY R START SWEEP", "begin-path",
// "end-path", "stroke-fill RRGGBB" (the brush's colour); colours in hex.
#pragma once

#include <string>
#include <vector>

#include "sim/outputs/output.h"
#include "sim/outputs/output_file.h"

namespace sim {

class DumpOutput : public Output {
 public:
  explicit DumpOutput(const std::string& path);  // throws OutputError
  void redrawn(const Redraw& r) override { write(r.t, r.screen, r.shown.lastDrawing); }
  void finished(double t, halcyra::World& world) override;

  // One redraw's lines: screen drew ops at t [s].
  void write(double t, size_t screen, const std::vector<GdiOp>& ops);

 private:
  OutputFile file_;
  std::string text_;  // one redraw's lines, its buffer kept for the next
};

}  // namespace sim
