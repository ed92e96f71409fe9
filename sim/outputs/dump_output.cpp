#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/run_outputs.h"

namespace sim {
namespace {

// [bytes] The dump writes a few kilobytes a redraw: the system is asked to
// write once every so many.
constexpr size_t kDumpBuffer = size_t(1) << 16;

void appendPoint(std::string& out, const GdiOp& op) {
  appendInt(out, op.x);
  out += ' ';
  appendInt(out, op.y);
}

class DumpOutput : public Output {
 public:
  explicit DumpOutput(const std::string& path) : file_(path, kDumpBuffer) {}
  void redrawn(const Redraw& r) override {
    text_.clear();
    appendDumpLines(text_, r.t, r.screen, r.shown.lastDrawing);
    file_.put(text_);
  }
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_.commit(); }

 private:
  OutputFile file_;
  std::string text_;  // one redraw's lines, its buffer kept for the next
};

}  // namespace

std::unique_ptr<Output> openDump(const std::string& path) {
  return std::make_unique<DumpOutput>(path);
}

void appendDumpLines(std::string& out, double t, size_t screen, const std::vector<GdiOp>& ops) {
  out += "frame ";
  appendTime(out, t);
  out += ' ';
  appendInt(out, screen);
  out += '\n';
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        out += "text ";
        appendPoint(out, op);
        out += ' ';
        appendHexColour(out, op.colour);
        out += ' ';
        // A line break inside the text would end the dump's line early: it
        // is written as a blank.
        for (char c : op.text) out += c == '\n' || c == '\r' ? ' ' : c;
        out += '\n';
        break;
      case GdiOpKind::MoveTo:
      case GdiOpKind::LineTo:
        out += op.kind == GdiOpKind::MoveTo ? "move " : "line ";
        appendPoint(out, op);
        out += '\n';
        break;
      case GdiOpKind::AngleArc:
        out += "arc ";
        appendPoint(out, op);
        out += ' ';
        appendInt(out, op.radius);
        out += ' ';
        appendGeneral(out, op.startDeg, kAngleDigits);
        out += ' ';
        appendGeneral(out, op.sweepDeg, kAngleDigits);
        out += '\n';
        break;
      case GdiOpKind::BeginPath:
        out += "begin-path\n";
        break;
      case GdiOpKind::EndPath:
        out += "end-path\n";
        break;
      case GdiOpKind::StrokeAndFill:
        out += "stroke-fill ";
        appendHexColour(out, op.colour);
        out += '\n';
        break;
      case GdiOpKind::SetTextColor:  // state changes show in the operations that use them
      case GdiOpKind::SetBkMode:
      case GdiOpKind::SelectObject:
        break;
    }
  }
}

}  // namespace sim
