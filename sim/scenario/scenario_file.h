// Reading a scenario file: it must be a regular file (a device such as
// /dev/zero would be read until memory runs out, a FIFO would block) of at
// most kMaxScenarioBytes, and not empty.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

constexpr uintmax_t kMaxScenarioBytes = uintmax_t(64) << 20;  // 64 MiB

// The file's text. Throws ScenarioError "PATH:1:1: what is wrong: reason".
std::string readScenarioFile(const std::string& path);

}  // namespace sim
