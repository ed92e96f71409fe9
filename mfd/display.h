// Text helpers of the display pages.
#pragma once

#include <cstddef>

#include "hostapi/host_api.h"

// A terminated text with its top left at (x, y) [pixels].
void textOut(HDC dc, int x, int y, const char* text);
// Transparent background and the text colour; returns the previous colour.
COLORREF setTextStyle(HDC dc, COLORREF colour);
// "%.2f", "%.2fk", "%.2fM" or "%.2fAU" by the magnitude of value [m or m/s].
void formatDistance(char* buffer, size_t capacity, double value);

class GyrelleMFD;
void drawHelpPage(GyrelleMFD& mfd);
void drawIndicators(GyrelleMFD& mfd);
