// The Linux build and the Windows build fly the same scenarios alike: the
// default scenario and every scenario of the test suite give byte-identical
// drawing dumps and telemetry equal to 1e-9 relative, the near-radial states of
// the entry prediction's truth test give byte-identical entry pages, and the
// pages that Wine's GDI draws match the Cairo pictures of the same frames.
//
// A Linux program that runs both gyrelle-sim builds, registered in the
// windows test preset (it needs the Windows build), which passes it
// GYRELLE_WINDOWS_BIN (the folder of gyrelle-sim.exe), GYRELLE_WINE_RUN
// (scripts/wine-run) and GYRELLE_WINEPREFIX.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "entry/entry_regimes.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

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
      return (scenario.empty() ? std::string() : shellQuoted(scenario) + " ") + a + " --quiet";
    };
    const std::string linux =
        shellQuoted(testsupport::envPath("GYRELLE_SIM_PATH")) + " " + withOut(root / "linux");
    const std::string windows = shellQuoted(wineRun) + " " + shellQuoted(prefix) + " " +
                                shellQuoted(windowsBin + "/gyrelle-sim.exe") + " " +
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
    for (const auto& entry : fs::recursive_directory_iterator(
             fs::path(testsupport::envPath("GYRELLE_SOURCE_DIR")) / folder))
      if (entry.path().extension() == ".toml" &&
          entry.path().stem().extension() != ".campaign")  // a campaign is not a scenario
        files.push_back(entry.path().string());
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
      return ::testing::AssertionFailure() << "first difference at line " << i + 1 << " (" << frame
                                           << "):\n  Linux:   " << x << "\n  Windows: " << y;
  }
  return ::testing::AssertionFailure() << "the dumps differ in their line ends";
}

// Every field equal, numbers to 1e-9 of their magnitude (or of 1 for
// magnitudes below 1), or the first that is not.
::testing::AssertionResult sameTelemetry(const fs::path& a, const fs::path& b) {
  const auto la = lines(readFile(a)), lb = lines(readFile(b));
  if (la.empty()) return ::testing::AssertionFailure() << a << " is empty";
  if (la.size() != lb.size())
    return ::testing::AssertionFailure()
           << la.size() << " rows on Linux, " << lb.size() << " on Windows";
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
             << "first difference beyond 1e-9 relative at row " << row << " (t = " << fa[0] << ", "
             << (fa.size() > 1 ? fa[1] : "") << "), column "
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

// A TOML float that reads back as the same double.
std::string tomlFloat(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17e", x);
  return text;
}

std::string tomlVector(const VECTOR3& v) {
  return "[" + tomlFloat(v.x) + ", " + tomlFloat(v.y) + ", " + tomlFloat(v.z) + "]";
}

// The near-radial and radial states of the entry prediction's truth test, one
// after another the focus vessel under an entry page, and the page of each
// printed alike by both builds. (Whether a prediction was shown on such a
// state once hung on the last bits of the maths library.)
TEST_F(BothPlatforms, NearRadialStatesPrintTheSameEntryPage) {
  std::vector<gyrelle_test::OrbitState> states;
  for (auto regime : {gyrelle_test::Regime::NearRadial, gyrelle_test::Regime::Radial}) {
    const auto drawn =
        gyrelle_test::regimeStates(regime, gyrelle_test::kRegimeStates, gyrelle_test::kRegimeSeed);
    states.insert(states.end(), drawn.begin(), drawn.end());
  }
  // Each state flies half a second: two refreshes and two redraws of its page.
  constexpr double kShown = 0.5;  // [s]
  const fs::path scenario = root / "near-radial.toml";
  {
    std::ofstream out(scenario);
    out << "[sim]\nstep = 0.25\nredraw = 0.25\nuntil = " << tomlFloat(kShown * states.size())
        << "\n\n"
        << "[[body]]\nname = \"Earth\"\nmu = " << tomlFloat(gyrelle_test::kRegimeMu)
        << "\nradius = 6371010.0\n\n[[screen]]\nwidth = 300\nheight = 300\nmode = \"Gyrelle\"\n\n"
        << "[[event]]\nt = 0.0\nkey = \"4\"\n";
    for (size_t k = 0; k < states.size(); ++k) {
      const std::string name = "S" + std::to_string(k);
      const std::string vessel = "{ name = \"" + name + "\", body = \"Earth\", class = \"none\", " +
                                 "position = " + tomlVector(states[k].pos) +
                                 ", velocity = " + tomlVector(states[k].vel) + " }";
      out << "\n[[event]]\nt = " << tomlFloat(kShown * k) << "\nspawn = " << vessel << "\n"
          << "\n[[event]]\nt = " << tomlFloat(kShown * k) << "\nfocus = \"" << name << "\"\n";
      if (k > 0)
        out << "\n[[event]]\nt = " << tomlFloat(kShown * k) << "\ndelete = \"S" << k - 1 << "\"\n";
    }
  }
  runBoth(scenario.string(), "--dump OUT/dump.txt");
  if (HasFatalFailure()) return;
  EXPECT_TRUE(sameDump(root / "linux/dump.txt", root / "windows/dump.txt"));
  // The pages compared show predictions, not only "Entry Interface Undefined".
  const std::string dump = readFile(root / "linux/dump.txt");
  size_t shown = 0;
  for (size_t at = 0; (at = dump.find("Time To Go:", at)) != std::string::npos; ++at) ++shown;
  EXPECT_GE(shown, states.size());
}

// The ink of a picture: pixels brighter than a quarter of full scale in any
// channel (anti-aliased glyph edges fainter than that are left out).
struct Ink {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> on;  // row by row
  size_t count = 0;

  bool at(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && on[size_t(y) * width + x];
  }
};

Ink inkOf(const fs::path& png) {
  Ink ink;
  cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    ink.width = cairo_image_surface_get_width(surface);
    ink.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    ink.on.assign(size_t(ink.width) * ink.height, 0);
    for (int y = 0; y < ink.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
      for (int x = 0; x < ink.width; ++x) {
        const uint32_t p = row[x];
        const bool bright = ((p >> 16) & 0xff) >= 64 || ((p >> 8) & 0xff) >= 64 || (p & 0xff) >= 64;
        ink.on[size_t(y) * ink.width + x] = bright;
        ink.count += bright;
      }
    }
  }
  cairo_surface_destroy(surface);
  return ink;
}

// The share of a's ink that has ink of b within `radius` pixels (either axis).
double inkNear(const Ink& a, const Ink& b, int radius) {
  size_t near = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      if (!a.at(x, y)) continue;
      bool found = false;
      for (int dy = -radius; dy <= radius && !found; ++dy)
        for (int dx = -radius; dx <= radius && !found; ++dx) found = b.at(x + dx, y + dy);
      near += found;
    }
  return a.count != 0 ? double(near) / double(a.count) : 0.0;
}

// For each of the screen's 28 text rows, whether it has ink.
std::string inkedRows(const Ink& ink) {
  const int lineHeight = ink.height / 28;
  std::string rows;
  for (int line = 0; line < 28; ++line) {
    bool any = false;
    for (int y = line * lineHeight; y < (line + 1) * lineHeight && !any; ++y)
      for (int x = 0; x < ink.width && !any; ++x) any = ink.at(x, y);
    rows += any ? '#' : '.';
  }
  return rows;
}

// The picture file of a screen at a time: screenN-TTTTTT*.png.
fs::path frameFile(const fs::path& dir, int screen, int seconds) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "screen%d-%06d", screen, seconds);
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".png") return entry.path();
  }
  return dir / (std::string(prefix) + ".png");
}

// The pages of the README: each reference mode and a help page, from the
// built-in scenario. Tolerance: the same size and the same text rows inked;
// at least 95 % of each picture's ink within one pixel of the other's. Glyphs
// are the same font (DejaVu Sans Mono) rasterised by two libraries, whose
// anti-aliasing and hinting differ by a pixel at edges; a text or an outline
// displaced by more than a pixel would leave most of its ink unmatched.
TEST_F(BothPlatforms, GdiPagesMatchTheCairoPictures) {
  runBoth("", "--frames OUT/frames");
  if (HasFatalFailure()) return;
  constexpr double kMinShareNear = 0.95;
  struct Page {
    const char* what;
    int screen;
    int seconds;
  };
  for (const Page& page : {Page{"attitude", 0, 40}, Page{"velocity", 0, 100},
                           Page{"target", 0, 130}, Page{"entry", 0, 240}, Page{"help", 1, 210}}) {
    SCOPED_TRACE(page.what);
    const fs::path cairoPng = frameFile(root / "linux/frames", page.screen, page.seconds);
    const fs::path gdiPng = frameFile(root / "windows/frames", page.screen, page.seconds);
    const Ink cairo = inkOf(cairoPng), gdi = inkOf(gdiPng);
    ASSERT_GT(cairo.count, 0u) << cairoPng;
    ASSERT_GT(gdi.count, 0u) << gdiPng;
    ASSERT_EQ(gdi.width, cairo.width);
    ASSERT_EQ(gdi.height, cairo.height);
    EXPECT_EQ(inkedRows(gdi), inkedRows(cairo));
    const double gdiNearCairo = inkNear(gdi, cairo, 1), cairoNearGdi = inkNear(cairo, gdi, 1);
    EXPECT_GE(gdiNearCairo, kMinShareNear) << gdiPng << " against " << cairoPng;
    EXPECT_GE(cairoNearGdi, kMinShareNear) << cairoPng << " against " << gdiPng;
    std::printf("%-9s GDI ink near Cairo's %.3f, Cairo ink near GDI's %.3f (%zu / %zu pixels)\n",
                page.what, gdiNearCairo, cairoNearGdi, gdi.count, cairo.count);
  }
}

}  // namespace
