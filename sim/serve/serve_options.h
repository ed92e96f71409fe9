// The command line of gyrelle-sim --serve: its options, read by gyrelle-sim
// and by the live server it hands the command line over to (hand_over.h).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace sim {

struct ServeOptions {
  bool serve = false;
  int port = 8080;                 // 0 = any free port
  std::string bind = "127.0.0.1";  // address to listen on
  double speed = 1.0;              // multiple of real time, 0 = as fast as possible
  std::string recordPath;          // empty = no record
  std::string assetsDir;           // empty = "cockpit" beside the executable
};

// The speeds a live flight may be paced at, as a multiple of real time: the
// command line's --speed and the API's {"speed": ...} take the same ones.
constexpr double kMaxSpeed = 1000.0;  // multiple of real time
constexpr double kMinSpeed = 0.01;    // the slowest but 0 (as fast as possible)

// A speed the flight may take: 0 (as fast as possible), or from kMinSpeed to
// kMaxSpeed; never -0.0, which is a float and not that zero, nor a speed so
// small that a step would wait for hours. speedRangeText() says which.
bool speedAllowed(double speed);
std::string speedRangeText();

// Adds --serve, --port, --bind, --speed and --record to the command line.
void addServeOptions(CLI::App& app, ServeOptions& options);

}  // namespace sim
