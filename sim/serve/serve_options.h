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

// Adds --serve, --port, --bind, --speed and --record to the command line.
void addServeOptions(CLI::App& app, ServeOptions& options);

}  // namespace sim
