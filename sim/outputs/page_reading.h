// What a screen shows, read off its drawing as the pilot reads the page: the
// host never looks inside the module, it reads the text the page draws.
//
// The page is read line by line (text drawn at the same y), each line's pieces
// left to right; a row is found by its label ("Ref Mode:", "Pitch:", ...), its
// figures by the column they are drawn in (first or second value column), so
// that a figure the page leaves blank is absent and the next one keeps its
// place. Figures are as printed (two decimals for angles and rates; "+nan" is
// a NaN); distances printed with a k, M or AU suffix are read back in metres.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi_ops.h"

namespace sim {

struct PageReading {
  std::string mode;    // reference mode shown, without " (Hold)"; empty if none is shown
  bool hold = false;   // the mode line shows " (Hold)"
  std::string target;  // the target's name; empty when none is shown
  // Deviation from the reference attitude [deg] and rate [deg/s], in the order
  // pitch, yaw, roll.
  std::array<std::optional<double>, 3> deviation;
  std::array<std::optional<double>, 3> rate;
  std::optional<double> distance;    // to the target [m]
  std::optional<double> rangeRate;   // radial velocity to the target [m/s]
  std::optional<double> entryAngle;  // at the entry interface [deg]
  std::optional<double> timeToGo;    // to the entry interface [s]
  int helpPage = 0;                  // 1..7 while a help page is shown, else 0

  // True when the page shows all three deviations and all three rates.
  bool showsAttitude() const;
};

PageReading readPage(const std::vector<GdiOp>& ops);

// A figure as the page prints it: an optional sign, digits, and for distances
// an optional k (1e3), M (1e6) or AU suffix; the value in base units. Nothing
// for text that is not such a figure.
std::optional<double> readFigure(std::string_view text);

}  // namespace sim
