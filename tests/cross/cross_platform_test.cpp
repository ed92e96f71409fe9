// The Linux build and the Windows build fly the same scenarios alike: the
// default scenario and every scenario of the test suite give byte-identical
// drawing dumps and telemetry equal to 1e-9 relative, and the pages that
// Wine's GDI draws match the Cairo pictures of the same frames.
//
// A Linux program that runs both gyrelle-sim builds, registered in the
// windows test preset (it needs the Windows build), which passes it
// GYRELLE_WINDOWS_BIN (the folder of gyrelle-sim.exe), GYRELLE_WINE_RUN
// (scripts/wine-run) and GYRELLE_WINEPREFIX.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, sep)) fields.push_back(field);
  return fields;
}

// One run of each build with the same arguments, into a folder of each.
class BothPlatforms : public ::testing::Test {
 protected:
  void SetUp() override {
    windowsBin = env("GYRELLE_WINDOWS_BIN");
    wineRun = env("GYRELLE_WINE_RUN");
    prefix = env("GYRELLE_WINEPREFIX");
    if (windowsBin.empty() || wineRun.empty() || prefix.empty())
      GTEST_SKIP() << "run by ctest --preset windows, which names the Windows build";
    root = fs::temp_directory_path() /
           ("gyrelle-cross-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "linux");
    fs::create_directories(root / "windows");
  }
  void TearDown() override {
    if (!root.empty() && !HasFailure()) fs::remove_all(root);
  }

  // Runs gyrelle-sim of both builds; args may name OUT for the run's folder.
  void runBoth(const std::string& scenario, const std::string& args) {
    const auto withOut = [&](const fs::path& out) {
      std::string a = args;
      for (size_t at; (at = a.find("OUT")) != std::string::npos;) a.replace(at, 3, out.string());
      return (scenario.empty() ? std::string() : quoted(scenario) + " ") + a + " --quiet";
    };
    const std::string linux = quoted(GYRELLE_SIM_PATH) + " " + withOut(root / "linux");
    const std::string windows = quoted(wineRun) + " " + quoted(prefix) + " " +
                                quoted(windowsBin + "/gyrelle-sim.exe") + " " +
                                withOut(root / "windows");
    ASSERT_EQ(std::system((linux + " >/dev/null").c_str()), 0) << linux;
    ASSERT_EQ(std::system((windows + " >/dev/null").c_str()), 0) << windows;
  }

  std::string windowsBin, wineRun, prefix;
  fs::path root;
};

// Scenario files of the test suite and the examples, and "" for the built-in default.
std::vector<std::string> scenarioSet() {
  std::vector<std::string> files{""};
  for (const char* folder : {"tests", "scenarios"}) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(GYRELLE_SOURCE_DIR) / folder))
      if (entry.path().extension() == ".toml") files.push_back(entry.path().string());
  }
  std::sort(files.begin() + 1, files.end());
  return files;
}

// Byte-identical, or the first line that differs with the frame it belongs to.
::testing::AssertionResult sameDump(const fs::path& a, const fs::path& b) {
  const std::string textA = readFile(a), textB = readFile(b);
  if (textA.empty()) return ::testing::AssertionFailure() << a << " is empty";
  if (textA == textB) return ::testing::AssertionSuccess();
  const auto la = lines(textA), lb = lines(textB);
  std::string frame;
  for (size_t i = 0; i < std::max(la.size(), lb.size()); ++i) {
    const std::string x = i < la.size() ? la[i] : "(end)", y = i < lb.size() ? lb[i] : "(end)";
    if (x.rfind("frame ", 0) == 0) frame = x;
    if (x != y)
      return ::testing::AssertionFailure()
             << "first difference at line " << i + 1 << " (" << frame << "):\n  Linux:   " << x
             << "\n  Windows: " << y;
  }
  return ::testing::AssertionFailure() << "the dumps differ in their line ends";
}

// Every field equal, numbers to 1e-9 of their magnitude (or of 1 for
// magnitudes below 1), or the first that is not.
::testing::AssertionResult sameTelemetry(const fs::path& a, const fs::path& b) {
  const auto la = lines(readFile(a)), lb = lines(readFile(b));
  if (la.empty()) return ::testing::AssertionFailure() << a << " is empty";
  if (la.size() != lb.size())
    return ::testing::AssertionFailure() << la.size() << " rows on Linux, " << lb.size()
                                         << " on Windows";
  const auto header = split(la[0], ',');
  for (size_t row = 0; row < la.size(); ++row) {
    const auto fa = split(la[row], ','), fb = split(lb[row], ',');
    if (fa.size() != fb.size())
      return ::testing::AssertionFailure() << "row " << row << " has different fields";
    for (size_t col = 0; col < fa.size(); ++col) {
      if (fa[col] == fb[col]) continue;
      char* endA = nullptr;
      char* endB = nullptr;
      const double x = std::strtod(fa[col].c_str(), &endA);
      const double y = std::strtod(fb[col].c_str(), &endB);
      const bool numbers = *endA == '\0' && *endB == '\0' && !fa[col].empty() && !fb[col].empty();
      const double scale = std::max({1.0, std::fabs(x), std::fabs(y)});
      if (numbers && std::fabs(x - y) <= 1e-9 * scale) continue;
      return ::testing::AssertionFailure()
             << "first difference beyond 1e-9 relative at row " << row << " (t = " << fa[0]
             << ", " << (fa.size() > 1 ? fa[1] : "") << "), column "
             << (col < header.size() ? header[col] : std::to_string(col)) << ": Linux " << fa[col]
             << ", Windows " << fb[col];
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(BothPlatforms, ScenariosGiveTheSameDumpAndTelemetry) {
  for (const std::string& scenario : scenarioSet()) {
    SCOPED_TRACE(scenario.empty() ? "built-in default scenario" : scenario);
    runBoth(scenario, "--dump OUT/dump.txt --telemetry OUT/telemetry.csv");
    if (HasFatalFailure()) return;
    EXPECT_TRUE(sameDump(root / "linux/dump.txt", root / "windows/dump.txt"));
    EXPECT_TRUE(sameTelemetry(root / "linux/telemetry.csv", root / "windows/telemetry.csv"));
  }
}

}  // namespace
