// The benchmarks find libgyrelle.so and gyrelle-sim beside themselves, where
// the build puts every program and library (one bin/ folder), so that no path
// of the build folder is compiled into them. Linux only, as the benchmarks.
#pragma once

#include <unistd.h>

#include <climits>
#include <string>

// The path of `name` in the folder of the running program.
inline std::string besideExecutable(const std::string& name) {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return name;
  const std::string program(self, static_cast<size_t>(length));
  return program.substr(0, program.rfind('/') + 1) + name;
}
