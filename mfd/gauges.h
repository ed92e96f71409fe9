// Gauges of the rotation thruster levels below every value page: a vertical
// bar for pitch, a horizontal bar for yaw and a half ring for roll, each level
// within [-1, +1], full scale 45 pixels for the bars and 90 degrees for the ring.
#pragma once

#include <cstdint>

#include "hostapi/host_api.h"

class GyrelleMFD;

// Brushes: the instance's positive brush for a level of 0 or more, its
// negative brush otherwise (NaN included). Each bar's top is at y0 [pixels].
void drawPitchBar(GyrelleMFD& mfd, int y0, double level);
void drawYawBar(GyrelleMFD& mfd, int y0, double level);
void drawRollArc(GyrelleMFD& mfd, int y0, double level);

// Outline of a ring sector as one closed figure around (cx, cy), outer radius
// outerR, inner radius innerR [pixels], from startDeg through sweepDeg
// (degrees, counter-clockwise positive with y up). An inner radius below 0
// counts as 0 for the arc and the lines alike.
void drawRingSector(HDC dc, int cx, int cy, int outerR, int innerR, double startDeg,
                    double sweepDeg);
