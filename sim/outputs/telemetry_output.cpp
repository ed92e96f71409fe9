#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/run_outputs.h"

namespace sim {
namespace {

// [bytes] The telemetry can write a row a step: the system is asked to write
// once every so many.
constexpr size_t kTelemetryBuffer = size_t(1) << 16;

class TelemetryOutput : public Output {
 public:
  TelemetryOutput(const std::string& path, double every)
      : file_(path, kTelemetryBuffer), due_(every) {
    file_.put(
        "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,"
        "lat,vert,fa,main,retro,hover,docked\n");
  }
  void sampled(double t, halcyra::World& world) override;
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_.commit(); }

 private:
  OutputFile file_;
  Interval due_;
  std::string text_;  // one sample's rows, its buffer kept for the next
};

void TelemetryOutput::sampled(double t, halcyra::World& world) {
  if (!due_.due(t)) return;
  std::string& out = text_;
  out.clear();
  for (halcyra::Vessel* v : world.vessels()) {
    VESSELSTATUS s{};
    world.getStatus(*v, s);
    const auto& L = v->groupLevel;
    bool docked = false;
    for (const halcyra::DockPort& p : v->ports) docked = docked || p.docked != 0;
    appendTime(out, t);
    out += ',';
    appendCsvField(out, v->name);
    out += ',';
    appendCsvField(out, world.objectName(halcyra::toId(s.refBody)));
    for (double x : {s.relPos.x,
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
                     L[THGROUP_HOVER]}) {
      out += ',';
      appendFigure(out, x);
    }
    out += docked ? ",1\n" : ",0\n";
  }
  file_.put(out);
}

}  // namespace

std::unique_ptr<Output> openTelemetry(const std::string& path, double every) {
  return std::make_unique<TelemetryOutput>(path, every);
}

}  // namespace sim
