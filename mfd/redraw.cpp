// The redraw: title, reference-mode line, then the page of the reference mode
// (or a help page), then the gauges. Every value comes from the last refresh
// except the rotation thruster levels, read here.
//
// Layout: a 28-line grid, line n at y = n * lineHeight (lineHeight =
// mfdHeight / 28); x columns fixed in pixels (mfd/page_rows.h).
#include <cstdio>
#include <cstring>

#include "vessel/trim_selection.h"
#include "geometry/vector_math.h"
#include "mfd/display.h"
#include "mfd/fixed_text.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/page_rows.h"
#include "state/module_state.h"
#include "platform/numeric_locale.h"

namespace {

void atLine(GyrelleMFD& mfd, int line) { mfd.textY = line * static_cast<int32_t>(mfd.lineHeight); }

// Net level of a raising and a lowering group: within [-1, +1].
double netLevel(const VESSEL& vessel, THGROUP_TYPE raise, THGROUP_TYPE lower) {
  return vessel.GetThrusterGroupLevel(raise) - vessel.GetThrusterGroupLevel(lower);
}

void readRotationLevels(GyrelleMFD& mfd) {
  const VESSEL* const vessel = moduleState.focusVessel;
  if (vessel == nullptr) {
    mfd.rotThrustLevel[0] = mfd.rotThrustLevel[1] = mfd.rotThrustLevel[2] = 0.0;
    return;
  }
  mfd.rotThrustLevel[0] = netLevel(*vessel, THGROUP_PITCH_RAISE, THGROUP_PITCH_LOWER);
  mfd.rotThrustLevel[1] = netLevel(*vessel, THGROUP_YAW_RAISE, THGROUP_YAW_LOWER);
  mfd.rotThrustLevel[2] = netLevel(*vessel, THGROUP_ROLL_RAISE, THGROUP_ROLL_LOWER);
}

void drawTitle(GyrelleMFD& mfd) {
  const COLORREF previous = setTextStyle(mfd.drawDc, kTitleColour);
  textOut(mfd.drawDc, kLabelX, mfd.textY, "Gyrelle V3.0");
  setTextStyle(mfd.drawDc, previous);
  SetTextColor(mfd.drawDc, kNormalColour);
  mfd.textY += static_cast<int32_t>(mfd.lineHeight);
}

void drawOffsetRows(GyrelleMFD& mfd, int firstLine) {
  atLine(mfd, firstLine);
  drawOffsetRow(mfd, "Set Pitch", mfd.attOffset.x);
  drawOffsetRow(mfd, "Set Yaw ", mfd.attOffset.y);
  drawOffsetRow(mfd, "Set Roll", mfd.attOffset.z);
}

// The angle rows, two blank lines, then the gauges. Without a line of sight
// (target mode with no target) the deviation column is left blank, roll's as
// well as pitch's and yaw's: there is no reference to deviate from, and a
// zero would read "on target". The rates are the vessel's own and stay.
void drawAngleRowsAndGauges(GyrelleMFD& mfd, int firstLine, bool lineOfSight = true) {
  atLine(mfd, firstLine);
  if (lineOfSight) {
    drawAngleRow(mfd, "Pitch:", mfd.attDeviation.x, mfd.status.angVel.x);
    drawAngleRow(mfd, "Yaw:", mfd.attDeviation.y, mfd.status.angVel.y);
    drawAngleRow(mfd, "Roll:", mfd.attDeviation.z, mfd.status.angVel.z);
  } else {
    drawRateRow(mfd, "Pitch:", mfd.status.angVel.x);
    drawRateRow(mfd, "Yaw:", mfd.status.angVel.y);
    drawRateRow(mfd, "Roll:", mfd.status.angVel.z);
  }
  mfd.textY += 2 * static_cast<int32_t>(mfd.lineHeight);
  drawIndicators(mfd);
}

// An orientation-angle triple [rad] after its label, in degrees to one
// decimal. A value that rounds to zero prints "0.0", never "-0.0".
void drawAngleTriple(GyrelleMFD& mfd, const char* label, const VECTOR3& angles) {
  char numbers[3][40];
  for (int i = 0; i < 3; ++i) {
    formatFixed(numbers[i], sizeof numbers[i], angles[i] * kDegPerRad, 1);
    if (std::strcmp(numbers[i], "-0.0") == 0) std::memmove(numbers[i], numbers[i] + 1, 4);
  }
  char text[160];
  std::snprintf(text, sizeof text, "%s%s %s %s", label, numbers[0], numbers[1], numbers[2]);
  textOut(mfd.drawDc, kLabelX, mfd.textY, text);
}

void drawAttitudePage(GyrelleMFD& mfd) {
  atLine(mfd, 3);
  drawAngleTriple(mfd, "Reference Att: ", mfd.refAttitude);
  atLine(mfd, 4);
  drawAngleTriple(mfd, "Current Att:   ", mfd.status.orientation);
  drawOffsetRows(mfd, 6);
  drawAngleRowsAndGauges(mfd, 11);
}

void drawVelocityPage(GyrelleMFD& mfd) {
  char text[64];
  atLine(mfd, 3);
  textOut(mfd.drawDc, kLabelX, mfd.textY, "Velocity:");
  formatDistance(text, sizeof text, vectorLength(mfd.status.relVel));
  textOut(mfd.drawDc, kFirstValueX, mfd.textY, text);
  drawOffsetRows(mfd, 5);
  drawAngleRowsAndGauges(mfd, 10);
}

// Without a target (none selected, or one that has gone) the labels stand
// without figures.
void drawTargetPage(GyrelleMFD& mfd) {
  char text[96];
  const bool hasTarget = mfd.targetHandle != nullptr;
  const char* name = hasTarget ? mfd.targetName : "";
  atLine(mfd, 3);
  std::snprintf(text, sizeof text, "Target: %.*s", static_cast<int>(sizeof mfd.targetName), name);
  textOut(mfd.drawDc, kLabelX, mfd.textY, text);

  atLine(mfd, 4);
  textOut(mfd.drawDc, kLabelX, mfd.textY, "Distance:");
  if (hasTarget) {
    formatDistance(text, sizeof text, vectorLength(mfd.targetRelPos));
    textOut(mfd.drawDc, kFirstValueX, mfd.textY, text);
  }
  atLine(mfd, 5);
  textOut(mfd.drawDc, kLabelX, mfd.textY, "Rad Vel:");
  if (hasTarget) {
    formatDistance(text, sizeof text, mfd.rangeRate);  // green whatever its sign
    textOut(mfd.drawDc, kFirstValueX, mfd.textY, text);
  }

  const bool trimming = mfd.trimActive != 0;
  const int32_t axes = mfd.trimSelection;
  struct Row {
    const char* label;
    double value;  // [m/s]
    bool highlight;
  };
  const Row rows[3] = {
      {"Vertical", mfd.targetRelVel.y, trimming && trimsVertical(axes)},
      {"Lateral", mfd.targetRelVel.x, trimming && trimsLateral(axes)},
      {"Fore/Aft", mfd.targetRelVel.z, trimming && trimsForeAft(axes)},
  };
  atLine(mfd, 7);
  for (const Row& row : rows) {
    if (hasTarget) {
      drawVelocityRow(mfd, row.label, row.value, row.highlight);
    } else {
      drawVelocityLabel(mfd, row.label, row.highlight);
      mfd.textY += static_cast<int32_t>(mfd.lineHeight);
    }
  }
  drawAngleRowsAndGauges(mfd, 12, hasTarget);
}

// "LABEL%.Nf" into text[capacity], cut as snprintf cuts; the number through
// formatFixed, not printf, so that a NaN prints "nan" on every platform.
void labelledNumber(char* text, size_t capacity, const char* label, double value, int decimals) {
  const size_t length = std::strlen(label);  // shorter than every caller's buffer
  std::memcpy(text, label, length);
  formatFixed(text + length, capacity - length, value, decimals);
}

void drawEntryPage(GyrelleMFD& mfd) {
  char text[96];
  if (!mfd.entryPrediction.valid) {
    atLine(mfd, 4);
    textOut(mfd.drawDc, kLabelX, mfd.textY, "Entry Interface Undefined");
    return;
  }
  atLine(mfd, 3);
  labelledNumber(text, sizeof text, "Entry Angle:   ", mfd.entryPrediction.entryAngle * kDegPerRad,
                 2);
  textOut(mfd.drawDc, kLabelX, mfd.textY, text);
  atLine(mfd, 4);
  labelledNumber(text, sizeof text, "Time To Go:    ", mfd.entryPrediction.timeToGo, 0);  // [s]
  textOut(mfd.drawDc, kLabelX, mfd.textY, text);
  drawOffsetRows(mfd, 6);
  drawAngleRowsAndGauges(mfd, 11);
}

}  // namespace

void GyrelleMFD::Redraw(HDC dc) {
  const ClassicNumbers decimalPoint;  // "%.2f" prints 0.50, never 0,50
  readRotationLevels(*this);
  textY = 0;
  drawDc = dc;
  drawTitle(*this);
  textY += static_cast<int32_t>(lineHeight);  // line 1 stays blank
  if (helpPage != 0) {
    drawHelpPage(*this);
    return;
  }
  if (!isRefMode(refMode)) return;
  drawRefModeRow(*this);  // line 2, first row of every page
  // With no focus vessel there is nothing to show figures of.
  if (moduleState.focusVessel == nullptr) return;
  // An instance without an update slot is refreshed only here, so that it
  // never shows figures frozen at the moment it lost its slot.
  if (!holdsInstanceSlot(this)) refresh();
  switch (refMode) {
    case RefMode::kUserAttitude:
      drawAttitudePage(*this);
      break;
    case RefMode::kVelocity:
      drawVelocityPage(*this);
      break;
    case RefMode::kTargetRelative:
      drawTargetPage(*this);
      break;
    case RefMode::kEntryInterface:
      drawEntryPage(*this);
      break;
  }
}
