#include "sim/outputs/number_text.h"
#include "sim/outputs/run_outputs.h"
#include "sim/outputs/telemetry_row.h"
#include "sim/outputs/text_sink.h"

namespace sim {
namespace {

// [bytes] The telemetry can write a row a step: the system is asked to write
// once every so many.
constexpr size_t kTelemetryBuffer = size_t(1) << 16;

class TelemetryOutput : public Output {
 public:
  TelemetryOutput(std::unique_ptr<TextSink> file, double every)
      : file_(std::move(file)), due_(every) {
    file_->put(
        "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,"
        "lat,vert,fa,main,retro,hover,docked\n");
  }
  void sampled(double t, halcyra::World& world) override;
  void finished(double /*t*/, halcyra::World& /*world*/) override { file_->commit(); }

 private:
  std::unique_ptr<TextSink> file_;
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
    appendTime(out, t);
    out += ',';
    appendCsvField(out, v->name);
    out += ',';
    appendCsvField(out, world.objectName(halcyra::toId(s.refBody)));
    const std::array<double, 24> figures = telemetryFigures(*v, s);
    for (size_t i = 0; i + 1 < figures.size(); ++i) {
      out += ',';
      appendFigure(out, figures[i]);
    }
    out += figures.back() != 0.0 ? ",1\n" : ",0\n";
  }
  file_->put(out);
}

}  // namespace

std::unique_ptr<Output> openTelemetry(const std::string& path, double every) {
  return std::make_unique<TelemetryOutput>(std::make_unique<TextSink>(path, kTelemetryBuffer),
                                           every);
}

std::unique_ptr<Output> openTelemetryText(std::string& text, double every) {
  return std::make_unique<TelemetryOutput>(std::make_unique<TextSink>(text), every);
}

}  // namespace sim
