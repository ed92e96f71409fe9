#include "sim/outputs/flight_report.h"

#include <cmath>

namespace sim {
namespace {

constexpr double kDegPerRad = 57.29577951308232;

// Whether the deviations shown at t are settled; keeps them for the next
// redraw's rate of change.
bool settled(ScreenFigures& s, double t, const PageReading& page) {
  if (!page.showsAttitude()) {
    s.lastDeviation = {};
    s.earlierDeviation = {};
    return false;
  }
  bool all = true;
  for (int i = 0; i < 3; ++i) {
    std::optional<Sample>& last = s.lastDeviation[i];
    std::optional<Sample>& earlier = s.earlierDeviation[i];
    if (last && last->t < t) earlier = last;  // a second redraw at t keeps the one before t
    last = Sample{t, *page.deviation[i]};
    all = settledSample(*last, earlier, kSettledDeviationDeg, kSettledRateDegS, kPageResolution) &&
          all;
  }
  return all;
}

void closeHold(ScreenFigures& s, double t, bool runEnded) {
  HoldFigures& h = s.holds.back();
  if (!runEnded) h.end = t;
  if (h.settledFrom) h.settleTime = *h.settledFrom - h.start;
  s.holding = false;
}

}  // namespace

FlightReport::FlightReport(const std::string& path) {
  if (!path.empty()) file_.emplace(path);
}

void FlightReport::finished(double t, halcyra::World& /*world*/) {
  end_ = t;
  for (ScreenFigures& s : screens_)
    if (s.holding) closeHold(s, t, true);
  if (!file_) return;
  file_->put(json());
  file_->commit();
}

void FlightReport::redraw(double t, size_t screen, const PageReading& page) {
  if (screens_.size() <= screen) screens_.resize(screen + 1);
  ScreenFigures& s = screens_[screen];
  s.finalMode = page.mode;
  s.finalHold = page.hold;
  s.finalHelpPage = page.helpPage;
  if (page.helpPage != 0) return;  // the hold flies on unseen
  const bool still = settled(s, t, page);
  if (s.holding && (!page.hold || page.mode != s.holds.back().mode)) closeHold(s, t, false);
  if (!s.holding && page.hold) {
    s.holds.push_back(HoldFigures{page.mode, t, std::nullopt, std::nullopt, std::nullopt});
    s.holding = true;
  }
  if (!s.holding) return;
  HoldFigures& h = s.holds.back();
  if (!still) {
    h.settledFrom.reset();
  } else if (!h.settledFrom) {
    h.settledFrom = t;
  }
}

void FlightReport::sampled(double t, halcyra::World& world) {
  end_ = t;
  const std::vector<halcyra::Vessel*>& list = world.vessels();
  lastOrder_.resize(list.size());
  for (size_t place = 0; place < list.size(); ++place) {
    const halcyra::Vessel* v = list[place];
    auto& [id, index] = lastOrder_[place];
    if (id != v->id) {
      // try_emplace makes no node for a vessel already indexed.
      auto [it, added] = vesselIndex_.try_emplace(v->id, vessels_.size());
      if (added) vessels_.push_back(VesselFigures{v->name});
      id = v->id;
      index = it->second;
    }
    VesselFigures& f = vessels_[index];
    const auto& burnt = v->propellantBurnt;
    f.propellantEngines = burnt[THGROUP_MAIN] + burnt[THGROUP_RETRO] + burnt[THGROUP_HOVER];
    f.propellantRotation = 0.0;
    for (int g = THGROUP_PITCH_RAISE; g <= THGROUP_ROLL_RAISE; ++g)
      f.propellantRotation += burnt[g];
    f.propellantLinear = 0.0;
    for (int g = THGROUP_LIN_POS_X; g <= THGROUP_LIN_NEG_Z; ++g) f.propellantLinear += burnt[g];
    f.propellantTotal = f.propellantEngines + f.propellantRotation + f.propellantLinear;
    f.deltaV = v->rocketDeltaV;
    const VECTOR3& w = v->angVel;
    f.finalRate = std::sqrt(w.x * w.x + w.y * w.y + w.z * w.z) * kDegPerRad;
    if (f.finalRate > f.maxRate) {
      f.maxRate = f.finalRate;
      f.maxRateTime = t;
    }
  }
}

}  // namespace sim
