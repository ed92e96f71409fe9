#include "sim/outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

#include "render/picture.h"
#include "sim/csv_field.h"
#include "sim/number_text.h"

namespace sim {
namespace {

constexpr double kTimeSlack = 1e-9;  // [s] the same slack as for events

// The next multiple of every after t.
double nextMultiple(double t, double every) {
  return (std::floor(t / every + kTimeSlack) + 1.0) * every;
}

// The drawn text on one line: a line break inside it would end the dump's
// line early, so line breaks are written as blanks.
void appendOneLine(std::string& out, const std::string& text) {
  const size_t start = out.size();
  out += text;
  std::replace_if(
      out.begin() + std::ptrdiff_t(start), out.end(), [](char c) { return c == '\n' || c == '\r'; },
      ' ');
}

// One dump line up to its text, built on the stack and appended in one go:
// a redraw has dozens of lines of a few short fields each.
class LineStart {
 public:
  explicit LineStart(std::string_view word) { put(word); }
  void put(std::string_view s) {
    std::memcpy(p_, s.data(), s.size());
    p_ += s.size();
  }
  void put(char c) { *p_++ = c; }
  void number(int64_t v) { p_ = std::to_chars(p_, end(), v).ptr; }
  void colour(COLORREF c) { p_ = putHexColour(p_, c); }
  void appendTo(std::string& out) const { out.append(buf_, size_t(p_ - buf_)); }

 private:
  char* end() { return buf_ + sizeof buf_; }
  // Room for the longest start: "arc " and three numbers of up to eleven
  // characters and their blanks.
  char buf_[64];
  char* p_ = buf_;
};

}  // namespace

void DumpWriter::write(double t, size_t screen, const std::vector<GdiOp>& ops) {
  std::string& out = text_;  // kept between redraws, so that its buffer is reused
  out.clear();
  out += "frame ";
  appendFixed3(out, t);
  out += ' ';
  appendInt(out, screen);
  out += '\n';
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text: {
        LineStart line("text ");
        line.number(op.x);
        line.put(' ');
        line.number(op.y);
        line.put(' ');
        line.colour(op.colour);
        line.put(' ');
        line.appendTo(out);
        appendOneLine(out, op.text);
        out += '\n';
        break;
      }
      case GdiOpKind::MoveTo:
      case GdiOpKind::LineTo: {
        LineStart line(op.kind == GdiOpKind::MoveTo ? "move " : "line ");
        line.number(op.x);
        line.put(' ');
        line.number(op.y);
        line.put('\n');
        line.appendTo(out);
        break;
      }
      case GdiOpKind::AngleArc: {
        LineStart line("arc ");
        line.number(op.x);
        line.put(' ');
        line.number(op.y);
        line.put(' ');
        line.number(op.radius);
        line.put(' ');
        line.appendTo(out);
        appendGeneral(out, double(op.startDeg), 6);  // %g
        out += ' ';
        appendGeneral(out, double(op.sweepDeg), 6);
        out += '\n';
        break;
      }
      case GdiOpKind::BeginPath:
        out += "begin-path\n";
        break;
      case GdiOpKind::EndPath:
        out += "end-path\n";
        break;
      case GdiOpKind::StrokeAndFill: {
        LineStart line("stroke-fill ");
        line.colour(op.colour);
        line.put('\n');
        line.appendTo(out);
        break;
      }
      case GdiOpKind::SetTextColor:  // state changes show in the operations that use them
      case GdiOpKind::SetBkMode:
      case GdiOpKind::SelectObject:
        break;
    }
  }
  file_.put(out);
}

TelemetryWriter::TelemetryWriter(const std::string& path, double every)
    : file_(path, kTelemetryBuffer), every_(every) {
  file_.put(
      "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,"
      "lat,vert,fa,main,retro,hover,docked\n");
}

void TelemetryWriter::sample(double t, halcyra::World& world) {
  if (t < next_ - kTimeSlack) return;
  next_ = nextMultiple(t, every_);
  std::string& out = text_;  // kept between samples, so that its buffer is reused
  out.clear();
  char time[kFixed3Chars];  // t with three decimals, the same on every row
  const size_t timeSize = size_t(putFixed3(time, t) - time);
  for (halcyra::Vessel* v : world.vessels()) {
    VESSELSTATUS s{};
    world.getStatus(*v, s);
    const auto& L = v->groupLevel;
    bool docked = false;
    for (const halcyra::DockPort& p : v->ports) docked = docked || p.docked != 0;
    out.append(time, timeSize);
    out += ',';
    appendCsvField(out, v->name);
    out += ',';
    appendCsvField(out, world.objectName(halcyra::toId(s.refBody)));
    const double values[] = {s.relPos.x,
                             s.relPos.y,
                             s.relPos.z,
                             s.relVel.x,
                             s.relVel.y,
                             s.relVel.z,
                             s.orientation.x,
                             s.orientation.y,
                             s.orientation.z,
                             s.angVel.x,
                             s.angVel.y,
                             s.angVel.z,
                             v->dryMass + v->propellant,
                             v->propellant,
                             L[THGROUP_PITCH_RAISE] - L[THGROUP_PITCH_LOWER],
                             L[THGROUP_YAW_RAISE] - L[THGROUP_YAW_LOWER],
                             L[THGROUP_ROLL_RAISE] - L[THGROUP_ROLL_LOWER],
                             L[THGROUP_LIN_POS_X] - L[THGROUP_LIN_NEG_X],
                             L[THGROUP_LIN_POS_Y] - L[THGROUP_LIN_NEG_Y],
                             L[THGROUP_LIN_POS_Z] - L[THGROUP_LIN_NEG_Z],
                             L[THGROUP_MAIN],
                             L[THGROUP_RETRO],
                             L[THGROUP_HOVER]};
    // The figures built on the stack and appended in one go.
    char row[std::size(values) * (1 + kG10Chars) + 3];
    char* p = row;
    for (double x : values) {
      *p++ = ',';
      p = putG10(p, x == 0.0 ? 0.0 : x);  // no "-0"
    }
    std::memcpy(p, docked ? ",1\n" : ",0\n", 3);
    out.append(row, size_t(p + 3 - row));
  }
  file_.put(out);
}

FrameWriter::FrameWriter(const std::string& dir, double every) : dir_(dir), every_(every) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw OutputError(dir + ": cannot create the folder: " + ec.message());
  if (!std::filesystem::is_directory(dir, ec))
    throw OutputError(dir + ": cannot write: not a folder");
  if (access(dir.c_str(), W_OK | X_OK) != 0)
    throw OutputError(dir + ": cannot write: " + std::strerror(errno));
}

std::string frameName(size_t screen, double t) {
  // Whole milliseconds; t is at most 1e9 steps of an hour, far inside the range.
  const long long ms = std::llround(std::fmax(t, 0.0) * 1000.0);
  char name[64];
  std::snprintf(name, sizeof name, "screen%zu-%06lld.%03lld.png", screen, ms / 1000, ms % 1000);
  return name;
}

void FrameWriter::write(double t, halcyra::World& world) {
  if (shown_.size() < world.screenCount()) shown_.resize(world.screenCount());
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    Shown& shown = shown_[i];
    const bool same = shown.written && shown.width == s.width && shown.height == s.height &&
                      shown.ops == s.lastDrawing;
    OutputFile file(dir_ + "/" + frameName(i, t));
    // Unbuffered: the picture's file is written whole, in one call.
    std::setvbuf(file.stream(), nullptr, _IONBF, 0);
    std::string error;
    bool written = false;
    if (same) {
      written = shown.png.writeLast(file.stream(), file.path(), error);
    } else {
      shown.written = false;  // nothing to repeat until this one is written
      render::renderDrawing(s.lastDrawing, s.width, s.height, picture_);
      written = shown.png.write(picture_, file.stream(), file.path(), error);
      if (written) {
        shown.ops = s.lastDrawing;
        shown.width = s.width;
        shown.height = s.height;
        shown.written = true;
      }
    }
    if (!written) {
      file.check();  // a failed write names the reason
      throw OutputError(error);
    }
    file.commit();
  }
  lastWritten_ = t;
}

void FrameWriter::sample(double t, halcyra::World& world) {
  if (t < next_ - kTimeSlack) return;
  next_ = nextMultiple(t, every_);
  write(t, world);
}

void FrameWriter::final(double t, halcyra::World& world) {
  if (lastWritten_ != t) write(t, world);
}

}  // namespace sim
