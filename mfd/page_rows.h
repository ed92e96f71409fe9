// Colours, columns and row drawers of the display pages. Each row drawer
// draws at the instance's textY and then moves textY down by one lineHeight.
#pragma once

#include "geometry/angle_units.h"
#include "hostapi/host_api.h"

class GyrelleMFD;

// Colours of the display (COLORREF, RGB order of the arguments).
constexpr COLORREF kTitleColour = RGB(192, 192, 192);      // light grey
constexpr COLORREF kNormalColour = RGB(0, 255, 0);         // text and non-negative values
constexpr COLORREF kHighlightColour = RGB(255, 255, 255);  // mode name, highlighted labels
constexpr COLORREF kNegativeRed = RGB(255, 0, 0);          // negative values, colour mode 2
constexpr COLORREF kPromptColour = RGB(0, 255, 255);       // help prompts

// Text columns [pixels], fixed whatever the surface size.
constexpr int kLabelX = 5;
constexpr int kModeNameX = 90;
constexpr int kFirstValueX = 100;
constexpr int kSecondValueX = 200;

// Colour of negative values: colour mode 0 green (as normal text), 1 white, 2 red.
COLORREF negativeColour(int colourMode);

// "Ref Mode:" and the mode name, with " (Hold)" while the hold is on.
void drawRefModeRow(GyrelleMFD& mfd);
// Label, the angle [rad] at the first value column and the rate [rad/s] at the
// second, both in degrees by the signed-number rule.
void drawAngleRow(GyrelleMFD& mfd, const char* label, double angle, double rate);
// Label and the rate [rad/s] at the second value column, the first left blank.
void drawRateRow(GyrelleMFD& mfd, const char* label, double rate);
// Label and an offset [rad] in degrees by the signed-number rule.
void drawOffsetRow(GyrelleMFD& mfd, const char* label, double angle);
// Label (white when highlighted) and a velocity [m/s] in the distance format,
// signed and coloured by the signed-number rule.
void drawVelocityRow(GyrelleMFD& mfd, const char* label, double value, bool highlight);
// The label alone, for a target that has gone; textY is left where it is.
void drawVelocityLabel(GyrelleMFD& mfd, const char* label, bool highlight);
