// Runs the real gyrelle-sim executable in a fresh temporary folder and
// collects its exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/test_paths.h"

namespace simtest {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// A CSV table as rows of named cells.
using Row = std::map<std::string, std::string>;
inline std::vector<Row> readCsv(const std::string& text) {
  std::vector<Row> rows;
  std::vector<std::string> header;
  for (const std::string& line : lines(text)) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.push_back("");
    if (header.empty()) {
      header = cells;
      continue;
    }
    Row row;
    for (size_t i = 0; i < header.size() && i < cells.size(); ++i) row[header[i]] = cells[i];
    rows.push_back(row);
  }
  return rows;
}

inline double num(const Row& row, const std::string& column) { return std::stod(row.at(column)); }

// A new folder of the temporary folder, "PREFIX" and six random letters.
inline std::string makeTempFolder(const std::string& prefix) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::minstd_rand random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ::testing::TempDir() + prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    std::error_code error;
    if (std::filesystem::create_directory(name, error)) return name;
  }
  return "";
}

// A temporary folder per test, removed afterwards.
class SimRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = makeTempFolder("gyrelle-sim-");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override {
    if (dir.empty()) return;
    // On Windows a file goes when its last handle closes, and the handles of
    // a program that has just ended may close a moment after its end: retried.
    std::error_code error;
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (std::filesystem::remove_all(dir, error) != static_cast<std::uintmax_t>(-1) && !error) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "cannot remove " << dir << ": " << error.message();
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  std::string writeScenario(const std::string& name, const std::string& text) const {
    std::ofstream(path(name)) << text;
    return path(name);
  }

  // gyrelle-sim with the module built with the tests, unless args name one.
  std::vector<std::string> simCommand(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {testsupport::envPath("GYRELLE_SIM_PATH")};
    if (std::find(args.begin(), args.end(), "--module") == args.end())
      command.insert(command.end(), {"--module", testsupport::envPath("GYRELLE_MODULE_PATH")});
    command.insert(command.end(), args.begin(), args.end());
    return command;
  }

  // Runs a program to its end, standard input empty.
  RunResult runProgram(const std::vector<std::string>& command) const {
    RunResult r;
    {
      testsupport::ChildProcess child(command, path("stdout.txt"), path("stderr.txt"));
      EXPECT_TRUE(child.started()) << command.front();
      // A run of the tests takes seconds; one that hangs is ended, and fails.
      const std::optional<int> status = child.wait(std::chrono::minutes(5));
      EXPECT_TRUE(status.has_value()) << command.front() << " still ran after 5 minutes";
      r.status = status.value_or(-1);
    }
    r.out = readFile(path("stdout.txt"));
    r.err = readFile(path("stderr.txt"));
    std::filesystem::remove(path("stdout.txt"));
    std::filesystem::remove(path("stderr.txt"));
    return r;
  }

  RunResult run(const std::vector<std::string>& args) const { return runProgram(simCommand(args)); }

  // The files left in the folder, by name.
  std::vector<std::string> files() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  std::string dir;
};

// Earth and two generic vessels close together; screens and events appended by the test.
inline const char* kTwoVessels = R"(
[sim]
step = 0.02
until = 5.0
redraw = 100.0
focus = "A"

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[base]]
name = "Pad"
body = "Earth"
position = [6371010.0, 0.0, 0.0]

[[vessel]]
name = "A"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7729.8, 0.0]

[[vessel]]
name = "B"
body = "Earth"
position = [6671010.0, 500.0, 0.0]
velocity = [0.0, 7729.8, 0.0]
)";

}  // namespace simtest
