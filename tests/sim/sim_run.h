// Runs the real gyrelle-sim executable in a fresh temporary folder and
// collects its exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// A temporary folder per test, removed afterwards.
class SimRun : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef GYRELLE_SIM_PATH
    GTEST_SKIP() << "gyrelle-sim is not built";
#endif
    std::string tmpl = ::testing::TempDir() + "gyrelle-sim-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  std::string writeScenario(const std::string& name, const std::string& text) const {
    std::ofstream(path(name)) << text;
    return path(name);
  }

  RunResult run(const std::vector<std::string>& args) const {
    RunResult r;
#ifdef GYRELLE_SIM_PATH
    std::string cmd = quoted(GYRELLE_SIM_PATH);
    // The module built with the tests, unless the test names one.
    if (std::find(args.begin(), args.end(), "--module") == args.end())
      cmd += " --module " + quoted(GYRELLE_MODULE_PATH);
    for (const std::string& a : args) cmd += " " + quoted(a);
    cmd += " >" + quoted(path("stdout.txt")) + " 2>" + quoted(path("stderr.txt")) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(path("stdout.txt"));
    r.err = readFile(path("stderr.txt"));
    std::filesystem::remove(path("stdout.txt"));
    std::filesystem::remove(path("stderr.txt"));
#endif
    return r;
  }

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
