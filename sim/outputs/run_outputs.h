// The outputs of a run. Their formats are contracts that other tools read
// (README); each is opened before the run and throws OutputError for what
// cannot be written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/outputs/flight_report.h"
#include "sim/outputs/output.h"
#include "sim/run/runner.h"
#include "sim/verify/verification.h"

namespace sim {

// --dump FILE: every redraw as text. A line "frame T S" (time with 3
// decimals, screen index) opens each redraw; then one line per drawing call:
// "text X Y RRGGBB TEXT" (TEXT the rest of the line, as drawn), "move X Y",
// "line X Y", "arc CX CY R START SWEEP", "begin-path", "end-path",
// "stroke-fill RRGGBB" (the brush's colour); colours in hex.
std::unique_ptr<Output> openDump(const std::string& path);
// One redraw's lines: screen drew ops at t [s].
void appendDumpLines(std::string& out, double t, size_t screen, const std::vector<GdiOp>& ops);

// --telemetry FILE: a CSV table, its header
// t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,roll,
// lat,vert,fa,main,retro,hover,docked; one row per vessel at t = 0 and every
// `every` [s]: position and velocity relative to the vessel's reference body
// (global axes), status orientation angles and angular velocity, mass,
// propellant, the net rotation levels (groups 3-4, 6-5, 8-7), net linear
// levels (9-10, 11-12, 13-14), engine levels, and 1 when a port is engaged.
std::unique_ptr<Output> openTelemetry(const std::string& path, double every);
// The same rows appended to text, kept in memory (text_sink.h).
std::unique_ptr<Output> openTelemetryText(std::string& text, double every);

// --screens FILE: the screen log, one CSV row per screen per redraw, read off
// the page as the pilot reads it (sim/outputs/page_reading.h). Columns, in this order:
//   t           redraw time [s], 3 decimals
//   screen      screen index
//   mode        reference mode shown, without " (Hold)"; empty for another page
//   hold        1 while the mode line shows " (Hold)", else 0
//   target      target name shown; empty when none
//   dev_pitch, dev_yaw, dev_roll     deviations shown [deg]
//   rate_pitch, rate_yaw, rate_roll  rates shown [deg/s]
//   distance    to the target [m] (a "k", "M" or "AU" figure converted)
//   range_rate  radial velocity to the target [m/s]
//   entry_angle at the entry interface [deg]
//   time_to_go  to the entry interface [s]
//   help_page   0, or 1..7 while a help page is shown
// A figure the page does not show (a blank column) is an empty field; one
// that is not a number is "nan".
std::unique_ptr<Output> openScreenLog(const std::string& path);
// The same rows appended to text, kept in memory (text_sink.h).
std::unique_ptr<Output> openScreenLogText(std::string& text);
// The row of screen showing page at t [s].
void appendScreenLogRow(std::string& out, double t, size_t screen, const PageReading& page);

// --frames DIR: a PNG picture of every screen every `every` [s] and at the
// end, named screenN-TTTTTT.mmm.png, the time in seconds and milliseconds zero
// padded so that names sort in time order. Each picture is written under a
// temporary name and committed at once.
std::unique_ptr<Output> openFrames(const std::string& dir, double every);

// Appends the picture outputs the options ask for, --frames and --gif
// (gif_output.h). On Linux the lean gyrelle-sim is built without them
// (no_pictures.cpp) and hands a command line that asks for pictures over to
// gyrelle-sim-full (sim/run/hand_over.h).
void openPictureOutputs(const RunOptions& options, const Scenario& scenario, halcyra::World& world,
                        std::vector<std::unique_ptr<Output>>& outputs);
// Frees what drawing keeps between pictures (font caches), at the program's end.
void releasePictureCaches() noexcept;

// The outputs of one run as a group: opened together before the run, fed as it
// goes, and finished together at its end, also when it ends early (an
// interruption, a state that is no longer finite, an output that failed): a
// run's outputs are what its user keeps. An output that failed is dropped
// (its temporary removed, its real name untouched); the others are committed.
class RunOutputs {
 public:
  // Opens every output the options ask for.
  RunOutputs(const RunOptions& options, const Scenario& scenario, halcyra::World& world);

  void redrawn(const Redraw& r) {
    for (Output* o : all_) o->redrawn(r);
  }
  void sampled(double t, halcyra::World& world) {
    for (Output* o : all_) o->sampled(t, world);
  }
  // Finishes every output at t, each once, whether or not another fails.
  // Returns the messages of those that failed.
  std::vector<std::string> finish(double t, halcyra::World& world) noexcept;

  // The report for the summary on standard error; null when quiet and not
  // written to a file, when no one reads it and it is not kept.
  const FlightReport* report() const { return report_; }
  // The expectations and conditional events; null when the scenario has
  // none and no --junit file is asked for.
  Verification* verification() const { return verification_; }

 private:
  std::vector<std::unique_ptr<Output>> owned_;
  std::vector<Output*> all_;  // owned_, then RunOptions::more
  FlightReport* report_ = nullptr;
  Verification* verification_ = nullptr;
};

}  // namespace sim
