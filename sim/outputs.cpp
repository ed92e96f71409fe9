#include "sim/outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "render/picture.h"

namespace sim {
namespace {

constexpr double kTimeSlack = 1e-9;  // [s] the same slack as for events

// RRGGBB of a COLORREF (0x00BBGGRR).
void hexColour(FILE* f, COLORREF c) {
  std::fprintf(f, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
}

// The next multiple of every after t.
double nextMultiple(double t, double every) {
  return (std::floor(t / every + kTimeSlack) + 1.0) * every;
}

// The drawn text on one line: a line break inside it would end the dump's
// line early, so line breaks are written as blanks.
std::string oneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\n' || c == '\r') c = ' ';
  return out;
}

// A CSV field: quoted (quotes doubled) when it holds a comma, quote or line break.
std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

void DumpWriter::write(double t, size_t screen, const std::vector<GdiOp>& ops) {
  FILE* f = file_.stream();
  std::fprintf(f, "frame %.3f %zu\n", t, screen);
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        std::fprintf(f, "text %d %d ", op.x, op.y);
        hexColour(f, op.colour);
        std::fprintf(f, " %s\n", oneLine(op.text).c_str());
        break;
      case GdiOpKind::MoveTo:
        std::fprintf(f, "move %d %d\n", op.x, op.y);
        break;
      case GdiOpKind::LineTo:
        std::fprintf(f, "line %d %d\n", op.x, op.y);
        break;
      case GdiOpKind::AngleArc:
        std::fprintf(f, "arc %d %d %u %g %g\n", op.x, op.y, op.radius, double(op.startDeg),
                     double(op.sweepDeg));
        break;
      case GdiOpKind::BeginPath:
        std::fputs("begin-path\n", f);
        break;
      case GdiOpKind::EndPath:
        std::fputs("end-path\n", f);
        break;
      case GdiOpKind::StrokeAndFill:
        std::fputs("stroke-fill ", f);
        hexColour(f, op.colour);
        std::fputc('\n', f);
        break;
      case GdiOpKind::SetTextColor:  // state changes show in the operations that use them
      case GdiOpKind::SetBkMode:
      case GdiOpKind::SelectObject:
        break;
    }
  }
}

TelemetryWriter::TelemetryWriter(const std::string& path, double every)
    : file_(path), every_(every) {
  std::fputs(
      "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,"
      "lat,vert,fa,main,retro,hover,docked\n",
      file_.stream());
}

void TelemetryWriter::sample(double t, halcyra::World& world) {
  if (t < next_ - kTimeSlack) return;
  next_ = nextMultiple(t, every_);
  FILE* f = file_.stream();
  for (halcyra::Vessel* v : world.vessels()) {
    VESSELSTATUS s{};
    world.getStatus(*v, s);
    const auto& L = v->groupLevel;
    bool docked = false;
    for (const halcyra::DockPort& p : v->ports) docked = docked || p.docked != 0;
    std::fprintf(f, "%.3f,%s,%s", t, csvField(v->name).c_str(),
                 csvField(world.objectName(halcyra::toId(s.refBody))).c_str());
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
    for (double x : values) std::fprintf(f, ",%.10g", x == 0.0 ? 0.0 : x);  // no "-0"
    std::fprintf(f, ",%d\n", docked ? 1 : 0);
  }
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

long wholeSeconds(double t) { return long(std::floor(t + kTimeSlack)); }

void FrameWriter::write(double t, halcyra::World& world) {
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    char name[64];
    std::snprintf(name, sizeof name, "screen%zu-%06ld.png", i, wholeSeconds(t));
    // Written under a temporary name and renamed, so that no picture is ever
    // left half-written under its own name.
    const std::string path = dir_ + "/" + name;
    const std::string temp = path + ".part";
    std::string error;
    render::renderDrawing(s.lastDrawing, s.width, s.height, picture_);
    if (!png_.write(picture_, temp, error)) throw OutputError(error);
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
      const int err = errno;
      std::remove(temp.c_str());
      throw OutputError(path + ": cannot write: " + std::strerror(err));
    }
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
