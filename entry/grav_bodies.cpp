#include "entry/grav_bodies.h"

#include <cstring>

#include "geometry/angle_units.h"

namespace {
constexpr int kNameCapacity = 25;  // characters asked of the host
}  // namespace

// Records 1..29 carry the names of the bodies whose constants they hold. Fields:
// name, radius [m], mass [kg], mu [m^3/s^2], surface gravity [m/s^2], escape
// velocity [m/s], tilt [rad], entry-interface radius [m]. Earth's interface lies
// 98,990 m above its radius.
const GravBody gravBodies[kGravBodyCount] = {
    {"Sun", 696000000.0, 1.99e+30, 1.328e+20, 0.0, 0.0, 0.0, 0.0},                        // 0
    {"Mercury", 2440000.0, 3.302e+23, 2.203e+13, 3.701, 4435.0, 7.01 * kRadPerDeg, 0.0},  // 1
    {"Venus", 6051840.0, 4.8685e+24, 3.249e+14, 8.87, 10361.0, 1.27 * kRadPerDeg, 0.0},   // 2
    {"Earth", 6371010.0, 5.9736e+24, 3.986e+14, 9.780327, 11186.0, 23.44 * kRadPerDeg,
     6470000.0},                                                                             // 3
    {"Moon", 1738000.0, 7.35e+22, 4.904e+12, 1.62, 2380.0, 0.0, 0.0},                        // 4
    {"Mars", 3389920.0, 6.4185e+23, 4.283e+13, 3.69, 5027.0, 26.72 * kRadPerDeg, 0.0},       // 5
    {"Phobos", 11000.0, 1.08e+16, 720600.0, 0.0, 0.0, 0.0, 0.0},                             // 6
    {"Deimos", 65000.0, 1.8e+15, 120100.0, 0.0, 0.0, 0.0, 0.0},                              // 7
    {"Jupiter", 69911000.0, 1.8986e+27, 1.267e+17, 23.12, 59500.0, 2.22 * kRadPerDeg, 0.0},  // 8
    {"Callisto", 2403000.0, 1.08e+23, 7.207e+12, 0.0, 0.0, 0.0, 0.0},                        // 9
    {"Europa", 1565000.0, 4.8e+22, 3.2e+12, 0.0, 0.0, 0.0, 0.0},                             // 10
    {"Ganymede", 2634000.0, 1.48e+23, 9.88e+12, 0.0, 0.0, 0.0, 0.0},                         // 11
    {"Io", 1821000.0, 8.93e+22, 5.96e+12, 0.0, 0.0, 0.0, 0.0},                               // 12
    {"Saturn", 58232000.0, 5.6846e+26, 3.793e+16, 8.96, 35500.0, 28.05 * kRadPerDeg, 0.0},   // 13
    {"Dione", 560000.0, 1.05e+21, 7.01e+10, 0.0, 0.0, 0.0, 0.0},                             // 14
    {"Enceladus", 249000.0, 7.3e+19, 4780000000.0, 0.0, 0.0, 0.0, 0.0},                      // 15
    {"Mimas", 196000.0, 3.8e+19, 2540000000.0, 0.0, 0.0, 0.0, 0.0},                          // 16
    {"Rhea", 764000.0, 2.49e+21, 1.66e+11, 0.0, 0.0, 0.0, 0.0},                              // 17
    {"Titan", 2575000.0, 1.35e+23, 9.01e+12, 0.0, 0.0, 0.0, 0.0},                            // 18
    {"Uranus", 25362000.0, 8.6832e+25, 5.794e+15, 8.69, 21300.0, 82.05 * kRadPerDeg, 0.0},   // 19
    {"Ariel", 581000.0, 1.35e+21, 9.008e+10, 0.0, 0.0, 0.0, 0.0},                            // 20
    {"Miranda", 235800.0, 6.3e+19, 4200000000.0, 0.0, 0.0, 0.0, 0.0},                        // 21
    {"Oberon", 761400.0, 3.03e+21, 2.02e+11, 0.0, 0.0, 0.0, 0.0},                            // 22
    {"Titania", 788900.0, 3.49e+21, 2.33e+11, 0.0, 0.0, 0.0, 0.0},                           // 23
    {"Neptune", 24624000.0, 1.0243e+26, 6.835e+15, 11.0, 23500.0, 29.48 * kRadPerDeg, 0.0},  // 24
    {"Nereid", 170000.0, 3.087e+19, 2060000000.0, 0.0, 0.0, 0.0, 0.0},                       // 25
    {"Triton", 1353400.0, 2.14e+22, 1.43e+12, 0.0, 0.0, 0.0, 0.0},                           // 26
    {"Umbriel", 584700.0, 1.27e+21, 8.47e+10, 0.0, 0.0, 0.0, 0.0},                           // 27
    {"Pluto", 1151000.0, 1.5e+22, 1.001e+12, 0.655, 1300.0, 68.69 * kRadPerDeg, 0.0},        // 28
    {"Charon", 593000.0, 3.3e+21, 2.2e+11, 0.0, 0.0, 0.0, 0.0},                              // 29
    {"", 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},                                                 // 30
};

int findGravBody(OBJHANDLE body) {
  for (int i = 0; i < kGravBodyCount; ++i) {
    char name[kNameCapacity];
    hapiGetObjectName(body, name, kNameCapacity);
    if (std::strcmp(name, gravBodies[i].name) == 0) return i;
  }
  return kUnknownGravBody;
}
