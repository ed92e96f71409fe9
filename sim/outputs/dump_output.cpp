#include "sim/outputs/dump_output.h"

#include "sim/outputs/number_text.h"

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

}  // namespace

DumpOutput::DumpOutput(const std::string& path) : file_(path, kDumpBuffer) {}

void DumpOutput::write(double t, size_t screen, const std::vector<GdiOp>& ops) {
  std::string& out = text_;
  out.assign("frame ");
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
  file_.put(out);
}

void DumpOutput::finished(double /*t*/, halcyra::World& /*world*/) { file_.commitOrDiscard(); }

}  // namespace sim
