// The speeds a live flight may be paced at, as a multiple of real time: the
// command line's --speed and the API's {"speed": ...} take the same ones.
#pragma once

#include <string>

namespace sim {

constexpr double kMaxSpeed = 1000.0;  // multiple of real time
constexpr double kMinSpeed = 0.01;    // the slowest but 0 (as fast as possible)

// A speed the flight may take: 0 (as fast as possible), or from kMinSpeed to
// kMaxSpeed; never -0.0, which is a float and not that zero, nor a speed so
// small that a step would wait for hours. speedRangeText() says which.
bool speedAllowed(double speed);
std::string speedRangeText();

}  // namespace sim
