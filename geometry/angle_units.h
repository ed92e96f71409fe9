// The module's angle constants, stated once. pi is taken as the 15-digit
// literal 3.14159265358979 (7 units in the last place below the double nearest
// pi), and the degree factors follow from it; the display, the typed offsets,
// the body catalogue and the orbital code all use these.
#pragma once

constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.28318530717958;
constexpr double kRadPerDeg = 0.017453292519943278;  // pi / 180
constexpr double kDegPerRad = 57.29577951308239;     // radians shown as degrees
