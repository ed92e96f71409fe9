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
#include "sim/temp_file.h"
#include "sim/time_slack.h"

namespace sim {
namespace {

// The next multiple of every after t.
double nextMultiple(double t, double every) {
  return (std::floor(t / every + kTimeSlack) + 1.0) * every;
}

// A dump's lines written at a cursor into a buffer that DumpWriter::write
// has made large enough for the redraw.
class DumpLines {
 public:
  explicit DumpLines(char* p) : p_(p) {}
  char* end() const { return p_; }

  DumpLines& put(std::string_view s) {
    std::memcpy(p_, s.data(), s.size());
    p_ += s.size();
    return *this;
  }
  DumpLines& put(char c) {
    *p_++ = c;
    return *this;
  }
  DumpLines& number(int64_t v) {  // %d
    p_ = putInt(p_, v);
    return *this;
  }
  DumpLines& general(double v) {  // %g
    p_ = putGeneral(p_, v);
    return *this;
  }
  DumpLines& fixed3(double v) {  // %.3f
    p_ = putFixed3(p_, v);
    return *this;
  }
  DumpLines& colour(COLORREF c) {
    p_ = putHexColour(p_, c);
    return *this;
  }
  // The drawn text on one line: a line break inside it would end the dump's
  // line early, so line breaks are written as blanks.
  DumpLines& text(const std::string& t) {
    for (char c : t) *p_++ = c == '\n' || c == '\r' ? ' ' : c;
    return *this;
  }

  // The longest line of any operation besides its text: "arc " with three
  // numbers, two %g numbers, blanks and the line break.
  static constexpr size_t kLineChars = 8 + 3 * kIntChars + 2 * kGeneralChars + 8;

 private:
  char* p_;
};

}  // namespace

void DumpWriter::write(double t, size_t screen, const std::vector<GdiOp>& ops) {
  // Room for the whole redraw, counted first, so that the lines are written
  // without a check or a call each; the buffer grows to the largest redraw
  // and is kept.
  size_t room = kFixed3Chars + 2 * DumpLines::kLineChars;
  for (const GdiOp& op : ops)
    room += DumpLines::kLineChars + (op.kind == GdiOpKind::Text ? op.text.size() : 0);
  if (buffer_.size() < room) buffer_.resize(room);
  DumpLines out(buffer_.data());
  out.put("frame ").fixed3(t).put(' ').number(int64_t(screen)).put('\n');
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        out.put("text ").number(op.x).put(' ').number(op.y).put(' ').colour(op.colour).put(' ');
        out.text(op.text).put('\n');
        break;
      case GdiOpKind::MoveTo:
      case GdiOpKind::LineTo:
        out.put(op.kind == GdiOpKind::MoveTo ? "move " : "line ");
        out.number(op.x).put(' ').number(op.y).put('\n');
        break;
      case GdiOpKind::AngleArc:
        out.put("arc ").number(op.x).put(' ').number(op.y).put(' ').number(op.radius).put(' ');
        out.general(double(op.startDeg)).put(' ').general(double(op.sweepDeg)).put('\n');
        break;
      case GdiOpKind::BeginPath:
        out.put("begin-path\n");
        break;
      case GdiOpKind::EndPath:
        out.put("end-path\n");
        break;
      case GdiOpKind::StrokeAndFill:
        out.put("stroke-fill ").colour(op.colour).put('\n');
        break;
      case GdiOpKind::SetTextColor:  // state changes show in the operations that use them
      case GdiOpKind::SetBkMode:
      case GdiOpKind::SelectObject:
        break;
    }
  }
  file_.put(std::string_view(buffer_.data(), size_t(out.end() - buffer_.data())));
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

void FrameWriter::write(double t, halcyra::World& world) {
  if (shown_.size() < world.screenCount()) shown_.resize(world.screenCount());
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    Shown& shown = shown_[i];
    const bool same = shown.written && shown.width == s.width && shown.height == s.height &&
                      shown.ops == s.lastDrawing;
    OutputFile file(dir_ + "/" + frameName(i, t), 0, /*sweep=*/false);
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
