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
void hexColour(OutputFile& f, COLORREF c) {
  f.printf("%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
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
  OutputFile& f = file_;
  f.printf("frame %.3f %zu\n", t, screen);
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
        f.printf("text %d %d ", op.x, op.y);
        hexColour(f, op.colour);
        f.put(" " + oneLine(op.text) + "\n");
        break;
      case GdiOpKind::MoveTo:
        f.printf("move %d %d\n", op.x, op.y);
        break;
      case GdiOpKind::LineTo:
        f.printf("line %d %d\n", op.x, op.y);
        break;
      case GdiOpKind::AngleArc:
        f.printf("arc %d %d %u %g %g\n", op.x, op.y, op.radius, double(op.startDeg),
                 double(op.sweepDeg));
        break;
      case GdiOpKind::BeginPath:
        f.put("begin-path\n");
        break;
      case GdiOpKind::EndPath:
        f.put("end-path\n");
        break;
      case GdiOpKind::StrokeAndFill:
        f.put("stroke-fill ");
        hexColour(f, op.colour);
        f.put("\n");
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
  file_.put(
      "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,"
      "lat,vert,fa,main,retro,hover,docked\n");
}

void TelemetryWriter::sample(double t, halcyra::World& world) {
  if (t < next_ - kTimeSlack) return;
  next_ = nextMultiple(t, every_);
  OutputFile& f = file_;
  for (halcyra::Vessel* v : world.vessels()) {
    VESSELSTATUS s{};
    world.getStatus(*v, s);
    const auto& L = v->groupLevel;
    bool docked = false;
    for (const halcyra::DockPort& p : v->ports) docked = docked || p.docked != 0;
    f.printf("%.3f,%s,%s", t, csvField(v->name).c_str(),
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
    for (double x : values) f.printf(",%.10g", x == 0.0 ? 0.0 : x);  // no "-0"
    f.printf(",%d\n", docked ? 1 : 0);
  }
}

FrameWriter::FrameWriter(const std::string& dir, double every) : dir_(dir), every_(every) {
  // Made now, as the parent folders of every output are, and found unusable
  // before the run rather than at its first picture.
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
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    std::string png;
    if (!render::encodePng(render::renderDrawing(s.lastDrawing, s.width, s.height), png))
      throw OutputError(dir_ + "/" + frameName(i, t) + ": cannot write: empty picture");
    OutputFile file(dir_ + "/" + frameName(i, t));
    file.put(png);
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
