// The flight report (--report, and its summary on standard error): what the
// run cost each vessel and how each screen's holds went.
//
// Vessels: propellant burnt in total and by rotation (groups 3-8), linear
// (9-14) and engine (0-2) groups [kg]; the delta-v the burnt propellant is
// worth by the rocket equation, summed step by step [m/s]; the largest and the
// final magnitude of the angular velocity [deg/s].
//
// Screens, from what each redraw shows (sim/outputs/page_reading.h): the final mode
// and hold, and every hold: the redraws that show " (Hold)" in one mode, from
// the first such redraw (its start) to the first that does not (its end, null
// when the run ends first). A hold settles at the first of its redraws from
// which every redraw shows all deviations within 0.1 deg, each changing by at
// most 0.01 deg/s since the screen's redraw before (sim/outputs/settling.h),
// until the hold ends or the run does; settle time = that redraw's time minus
// the start (null when it never settles). Help pages neither end a hold nor
// count for or against settling.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/world.h"
#include "sim/outputs/output.h"
#include "sim/outputs/output_file.h"
#include "sim/outputs/page_reading.h"
#include "sim/outputs/settling.h"

namespace sim {

constexpr double kSettledDeviationDeg = 0.1;  // [deg]
constexpr double kSettledRateDegS = 0.01;     // [deg/s] the deviations' rate of change

struct VesselFigures {
  std::string name;
  double propellantTotal = 0.0;     // [kg]
  double propellantRotation = 0.0;  // [kg]
  double propellantLinear = 0.0;    // [kg]
  double propellantEngines = 0.0;   // [kg]
  double deltaV = 0.0;              // [m/s]
  double maxRate = 0.0;             // [deg/s]
  double maxRateTime = 0.0;         // [s] when the largest rate was seen
  double finalRate = 0.0;           // [deg/s] last seen (at deletion for a deleted vessel)
};

struct HoldFigures {
  std::string mode;
  double start = 0.0;                 // [s]
  std::optional<double> end;          // [s], none while still on at the end
  std::optional<double> settleTime;   // [s] after start, none if it never settled
  std::optional<double> settledFrom;  // [s] first redraw of the settled run so far
};

struct ScreenFigures {
  std::string finalMode;  // empty for a help page or no mode
  bool finalHold = false;
  int finalHelpPage = 0;
  std::vector<HoldFigures> holds;
  bool holding = false;  // the last hold is still on
  // Deviations [deg] (pitch, yaw, roll) of the last redraw that showed them and
  // of the one before it at an earlier time, for their rate of change.
  std::array<std::optional<Sample>, 3> lastDeviation, earlierDeviation;
};

// As an output: summed up as the flight goes, written to its file (if any)
// when the run ends.
class FlightReport : public Output {
 public:
  // path: the file of --report, empty for none (the summary alone). Throws
  // OutputError.
  explicit FlightReport(const std::string& path = "");

  void redrawn(const Redraw& r) override { redraw(r.t, r.screen, r.page()); }
  // After every step, and once at t = 0 and at the end.
  void sampled(double t, halcyra::World& world) override;
  // Closes the holds still on, then writes and commits the file; once, at the end.
  void finished(double t, halcyra::World& world) override;

  // Every redraw of every screen, in order.
  void redraw(double t, size_t screen, const PageReading& page);

  const std::vector<VesselFigures>& vessels() const { return vessels_; }
  const std::vector<ScreenFigures>& screens() const { return screens_; }
  double end() const { return end_; }  // [s] the last time sampled

  // The report as JSON (fields documented in the README) and as the lines of
  // the summary for standard error (lines without the last line break).
  std::string json() const;
  std::string summary() const;

 private:
  std::vector<VesselFigures> vessels_;  // in the order first seen
  std::map<halcyra::ObjectId, size_t> vesselIndex_;
  // The figures' index of the vessel in each place of the world's list at the
  // last sample: the list seldom changes, so the map is seldom searched.
  std::vector<std::pair<halcyra::ObjectId, size_t>> lastOrder_;
  std::vector<ScreenFigures> screens_;
  double end_ = 0.0;  // [s]
  std::optional<OutputFile> file_;
};

}  // namespace sim
