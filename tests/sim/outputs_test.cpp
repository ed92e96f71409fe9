// What --dump, --telemetry and --frames write, line by line and file by file,
// and what happens when an output cannot be written.
#include <gtest/gtest.h>

#include <regex>

#include "platform/png_writer.h"
#include "sim/outputs/run_outputs.h"
#include "sim_run.h"

namespace {

// step 0.1 over 3 s: thirty steps whose times must come out exact.
constexpr const char* kScreens = R"(
[[screen]]
width = 256
height = 280
mode = "Gyrelle"

[[screen]]
width = 200
height = 150
)";

std::string scenario(double step, double until) {
  std::string s = simtest::kTwoVessels;
  s.replace(s.find("step = 0.02"), 11, "step = " + std::to_string(step));
  s.replace(s.find("until = 5.0"), 11, "until = " + std::to_string(until));
  s.replace(s.find("redraw = 100.0"), 14, "redraw = 1.0");
  return s + kScreens;
}

class Outputs : public simtest::SimRun {};

// A PNG file's width and height, read from its header chunk (big-endian
// after the signature, the chunk's length and its type); {0, 0} if the file
// is no PNG. The pictures' pixels are checked where they are drawn.
std::pair<int, int> pngSize(const std::string& file) {
  const std::string bytes = simtest::readFile(file);
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0)
    return {0, 0};
  const auto at = [&](size_t i) {
    int v = 0;
    for (size_t k = i; k < i + 4; ++k) v = v * 256 + static_cast<unsigned char>(bytes[k]);
    return v;
  };
  return {at(16), at(20)};
}

TEST_F(Outputs, TelemetryHasTheHeaderAndARowPerVesselAtEverySample) {
  const auto r = run({writeScenario("s.toml", scenario(0.1, 3.0)), "--telemetry", path("t.csv"),
                      "--telemetry-every", "0.1", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0],
            "t,vessel,body,rx,ry,rz,vx,vy,vz,alpha,beta,gamma,wx,wy,wz,mass,propellant,pitch,yaw,"
            "roll,lat,vert,fa,main,retro,hover,docked");
  ASSERT_EQ(rows.size(), 1u + 2u * 31u);  // t = 0.0, 0.1, ..., 3.0 for A and B
  EXPECT_EQ(rows[1].rfind("0.000,A,Earth,6671010,0,0,0,7729.8,0,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind("0.000,B,Earth,", 0), 0u);
  EXPECT_EQ(rows[61].rfind("3.000,A,", 0), 0u) << rows[61];
  const std::regex number(R"(-?[0-9.]+(e[-+][0-9]+)?)");
  for (size_t i = 1; i < rows.size(); ++i) {
    std::istringstream in(rows[i]);
    std::string cell;
    size_t n = 0;
    for (; std::getline(in, cell, ','); ++n) {
      if (n != 1 && n != 2) {
        EXPECT_TRUE(std::regex_match(cell, number)) << rows[i];
      }
    }
    EXPECT_EQ(n, 27u) << rows[i];
  }
  // Generic class: 16 000 kg dry, 4 000 kg propellant, nothing firing.
  EXPECT_NE(rows[2].find(",20000,4000,0,0,0,0,0,0,0,0,0,0"), std::string::npos) << rows[2];
}

TEST_F(Outputs, DumpHasAFrameLineBeforeEveryRedrawAndOneLinePerDrawingCall) {
  const auto r =
      run({writeScenario("s.toml", scenario(0.02, 2.0)), "--dump", path("d.txt"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::lines(simtest::readFile(path("d.txt")));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], "frame 0.000 0");
  const std::regex valid(
      R"(frame \d+\.\d{3} \d+|text -?\d+ -?\d+ [0-9a-f]{6} .*|move -?\d+ -?\d+|line -?\d+ -?\d+|)"
      R"(arc -?\d+ -?\d+ \d+ \S+ \S+|begin-path|end-path|stroke-fill [0-9a-f]{6})");
  std::vector<std::string> frames;
  size_t texts = 0;
  for (const auto& row : rows) {
    EXPECT_TRUE(std::regex_match(row, valid)) << row;
    if (row.rfind("frame ", 0) == 0) frames.push_back(row);
    if (row.rfind("text ", 0) == 0) ++texts;
  }
  // Both screens at 0, 1 and 2 s.
  EXPECT_EQ(frames, (std::vector<std::string>{"frame 0.000 0", "frame 0.000 1", "frame 1.000 0",
                                              "frame 1.000 1", "frame 2.000 0", "frame 2.000 1"}));
  EXPECT_GT(texts, 3u);  // the screen in the mode draws its page
}

// A drawn text holding line breaks stays on its own line, the breaks as
// blanks, and the text after it is left as it was.
TEST(DumpLines, LineBreaksInDrawnTextAreWrittenAsBlanks) {
  GdiOp text;
  text.kind = GdiOpKind::Text;
  text.x = 4;
  text.y = 7;
  text.colour = RGB(0, 255, 0);
  text.text = "A\nB\r\nC";
  GdiOp after;
  after.kind = GdiOpKind::Text;
  after.text = "D\n";
  std::string out;
  sim::appendDumpLines(out, 1.5, 0, {text, after});
  EXPECT_EQ(out, "frame 1.500 0\ntext 4 7 00ff00 A B  C\ntext 0 0 000000 D \n");
}

TEST_F(Outputs, FramesArePngsOfTheScreenSizeEveryIntervalAndAtTheEnd) {
  const auto r = run({writeScenario("s.toml", scenario(0.05, 12.5)), "--frames", path("f"),
                      "--frame-every", "5", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path("f")))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"screen0-000000.000.png", "screen0-000005.000.png",
                                             "screen0-000010.000.png", "screen0-000012.500.png",
                                             "screen1-000000.000.png", "screen1-000005.000.png",
                                             "screen1-000010.000.png", "screen1-000012.500.png"}));
  for (const auto& [name, w, h] : {std::tuple{"screen0-000005.000.png", 256, 280},
                                   std::tuple{"screen1-000012.500.png", 200, 150}}) {
    EXPECT_EQ(pngSize(path("f/" + std::string(name))), std::pair(w, h)) << name;
  }
}

// A screen whose drawing has not changed is written again without drawing it:
// its file must be the one a fresh drawing of the same operations gives, and a
// changed drawing or size must be drawn afresh.
TEST_F(Outputs, FramesOfAnUnchangedDrawingAreTheFilesOfAFreshDrawing) {
  halcyra::World world;
  world.addScreen(64, 40);
  GdiOp text;
  text.kind = GdiOpKind::Text;
  text.colour = RGB(0, 255, 0);
  text.text = "T+10";
  GdiOp moved = text;
  moved.y = 20;
  const auto fresh = [&](const std::vector<GdiOp>& ops, uint32_t width, uint32_t height) {
    std::string error;
    std::vector<unsigned char> png;
    EXPECT_TRUE(render::encodePng(render::renderDrawing(ops, width, height), png, error)) << error;
    return std::string(png.begin(), png.end());
  };
  const auto frames = sim::openFrames(path("f"), 1.0);
  // t = 0 and 1 the same drawing, 2 another, 3 the first again, 4 the first
  // on a wider screen.
  const std::vector<std::vector<GdiOp>> drawings = {{text}, {text}, {moved}, {text}, {text}};
  for (size_t t = 0; t < drawings.size(); ++t) {
    world.screen(0).lastDrawing = drawings[t];
    if (t == 4) world.screen(0).width = 80;
    frames->sampled(double(t), world);
    const std::string name = "f/screen0-00000" + std::to_string(t) + ".000.png";
    EXPECT_EQ(simtest::readFile(path(name)), fresh(drawings[t], world.screen(0).width, 40)) << name;
  }
}

TEST_F(Outputs, FramesAFractionOfASecondApartKeepTheirMilliseconds) {
  const auto r = run({writeScenario("s.toml", scenario(0.05, 0.3)), "--frames", path("f"),
                      "--frame-every", "0.1", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path("f")))
    if (e.path().filename().string().rfind("screen0-", 0) == 0)
      names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"screen0-000000.000.png", "screen0-000000.100.png",
                                             "screen0-000000.200.png", "screen0-000000.300.png"}));
}

TEST_F(Outputs, ParentFoldersAreMadeForEveryOutput) {
  const std::string file = writeScenario("s.toml", scenario(0.02, 1.0));
  const auto r = run({file, "--telemetry", path("a/b/t.csv"), "--dump", path("c/d.txt"), "--frames",
                      path("e/f"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(path("a/b/t.csv")));
  EXPECT_TRUE(std::filesystem::is_regular_file(path("c/d.txt")));
  EXPECT_TRUE(std::filesystem::is_regular_file(path("e/f/screen0-000001.000.png")));
}

TEST_F(Outputs, UnwritableOutputFailsWithExitOneAndLeavesNothing) {
  const std::string file = writeScenario("s.toml", scenario(0.02, 1.0));
  std::ofstream(path("plain")) << "x";
  auto r = run({file, "--telemetry", path("t.csv"), "--dump", path("plain/d.txt"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(path("plain/d.txt")), std::string::npos) << r.err;
  EXPECT_EQ(files(), (std::vector<std::string>{"plain", "s.toml"}));

  r = run({file, "--frames", path("plain"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(path("plain")), std::string::npos) << r.err;

  // A folder where a file should go is found before the run, not after it.
  std::filesystem::create_directory(path("folder"));
  r = run({file, "--dump", path("d.txt"), "--telemetry", path("folder"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(path("folder")), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(path("d.txt")));
}

TEST_F(Outputs, NamesWithCommasAreQuotedInTheTelemetry) {
  std::string text = scenario(0.02, 1.0);
  const size_t at = text.find("name = \"B\"");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 10, "name = \"B, \\\"the tender\\\"\"");
  const std::string file = writeScenario("s.toml", text);
  const auto r = run({file, "--telemetry", path("t.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(simtest::readFile(path("t.csv")).find(",\"B, \"\"the tender\"\"\",Earth,"),
            std::string::npos);
}

TEST_F(Outputs, TerminalShowsEachScreensLastPageAndNoBarWhenPiped) {
  const auto r = run({writeScenario("s.toml", scenario(0.02, 1.0))});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("--- screen 0 (Gyrelle) at t = 1.000 ---\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--- screen 1 (none) at t = 1.000 ---\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST_F(Outputs, BuiltInDefaultScenarioFlies) {
  const auto r = run({"--until", "3", "--telemetry", path("t.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("--- screen 0 (Gyrelle)"), std::string::npos) << r.out;
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  EXPECT_EQ(rows.size(), 1u + 2u * 4u);  // Gyre-1 and Tender at 0, 1, 2, 3 s
  EXPECT_EQ(rows[1].rfind("0.000,Gyre-1,Earth,", 0), 0u);
}

}  // namespace
