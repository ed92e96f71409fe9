// GDI: the drawing calls a module makes on the host's device context.
//
// On Windows this is <windows.h> itself: real GDI on whatever device context
// the host hands over. Elsewhere it is a stand-in whose device context records
// every call, in order, with the state it used (platform/posix/recording_dc.h);
// nothing is rasterised until render/ turns a recording into a picture. The
// stand-in's signatures follow the Windows originals so that module code reads
// the same on both platforms.
//
// Conventions (both platforms):
// - Coordinates are pixels of the surface, origin top left, y downwards.
// - COLORREF is 0x00BBGGRR; RGB(r, g, b) builds one.
// - TextOutA places the top-left corner of the text at (x, y).
// - AngleArc draws a straight line from the current point to the arc's start,
//   then the arc; angles in degrees, counter-clockwise positive with y up.
// - Between BeginPath and EndPath, MoveToEx/LineTo/AngleArc build a path
//   instead of drawing; StrokeAndFillPath fills it with the selected brush and
//   outlines it with the pen.
#pragma once

#include "platform/platform_api.h"

#ifdef _WIN32

#include "platform/windows_headers.h"

#else

#include <cstdint>

typedef int BOOL;
typedef uint32_t COLORREF;

struct DeviceContext;  // defined in platform/posix/recording_dc.h
typedef DeviceContext* HDC;

struct GdiObject;  // brushes (and any other selectable object)
typedef GdiObject* HGDIOBJ;
typedef GdiObject* HBRUSH;

struct POINT {
  int32_t x;
  int32_t y;
};

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return static_cast<uint8_t>(c & 0xff); }
constexpr uint8_t GetGValue(COLORREF c) { return static_cast<uint8_t>((c >> 8) & 0xff); }
constexpr uint8_t GetBValue(COLORREF c) { return static_cast<uint8_t>((c >> 16) & 0xff); }

// Background modes of SetBkMode.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// A colour value that no real colour has: returned on failure (null DC).
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

GYRELLE_PLATFORM_API BOOL TextOutA(HDC dc, int x, int y, const char* text, int length);
GYRELLE_PLATFORM_API COLORREF SetTextColor(HDC dc, COLORREF colour);  // returns the previous
GYRELLE_PLATFORM_API int SetBkMode(HDC dc, int mode);                 // returns the previous
GYRELLE_PLATFORM_API BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
GYRELLE_PLATFORM_API BOOL LineTo(HDC dc, int x, int y);
GYRELLE_PLATFORM_API BOOL AngleArc(HDC dc, int x, int y, uint32_t radius, float startDeg,
                                   float sweepDeg);
GYRELLE_PLATFORM_API BOOL BeginPath(HDC dc);
GYRELLE_PLATFORM_API BOOL EndPath(HDC dc);
GYRELLE_PLATFORM_API BOOL StrokeAndFillPath(HDC dc);
GYRELLE_PLATFORM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);  // returns the previous
GYRELLE_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF colour);
GYRELLE_PLATFORM_API BOOL DeleteObject(HGDIOBJ object);

#endif  // _WIN32
