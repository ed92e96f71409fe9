// The screen log against the drawing dump of the same run: one row per redraw
// in the dump's order, and every figure the row holds is the text drawn at
// the row's place on the page.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "sim/outputs/run_outputs.h"
#include "sim_run.h"
#include "support/test_paths.h"

namespace {

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, ',')) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.push_back("");
  return cells;
}

// One redraw of the dump: its header and its text operations by (y, x).
struct DumpFrame {
  std::string header;                                // "frame T S"
  std::map<std::pair<int, int>, std::string> texts;  // (y, x) -> text
  std::string textAfter(int y, int x) const {
    auto it = texts.find({y, x});
    return it == texts.end() ? "" : it->second;
  }
  // The y of the line whose text at x = 5 is label, or -1.
  int lineOf(const std::string& label) const {
    for (const auto& [at, text] : texts)
      if (at.second == 5 && text == label) return at.first;
    return -1;
  }
};

std::vector<DumpFrame> readDump(const std::string& text) {
  std::vector<DumpFrame> frames;
  for (const std::string& line : simtest::lines(text)) {
    if (line.rfind("frame ", 0) == 0) {
      frames.push_back({line, {}});
    } else if (line.rfind("text ", 0) == 0) {
      std::istringstream in(line.substr(5));
      int x = 0, y = 0;
      std::string colour;
      in >> x >> y >> colour;
      std::string rest;
      std::getline(in, rest);
      frames.back().texts[{y, x}] = rest.empty() ? rest : rest.substr(1);
    }
  }
  return frames;
}

// "+1.25" -> 1.25, "-0.50" -> -0.5, "2.50k" -> 2500, "1.24M" -> 1240000: the
// log writes the number itself, in metres.
double number(const std::string& text) {
  std::string digits = text[0] == '+' ? text.substr(1) : text;
  double scale = 1.0;
  if (digits.back() == 'k') scale = 1e3;
  if (digits.back() == 'M') scale = 1e6;
  if (scale != 1.0) digits.pop_back();
  return std::stod(digits) * scale;
}

class ScreenLog : public simtest::SimRun {};

TEST_F(ScreenLog, HoldsTheFiguresTheDumpShowsForEveryRedraw) {
  // The default scenario through the attitude, velocity and target pages and
  // the help pages, a redraw every second.
  const simtest::RunResult r = run(
      {"--until", "215", "--dump", path("dump.txt"), "--screens", path("screens.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<DumpFrame> frames = readDump(simtest::readFile(path("dump.txt")));
  const std::vector<std::string> rows = simtest::lines(simtest::readFile(path("screens.csv")));
  ASSERT_EQ(rows.at(0),
            "t,screen,mode,hold,target,dev_pitch,dev_yaw,dev_roll,rate_pitch,rate_yaw,rate_roll,"
            "distance,range_rate,entry_angle,time_to_go,help_page");
  ASSERT_EQ(rows.size(), frames.size() + 1);
  ASSERT_GT(frames.size(), 400u);

  std::map<std::string, int> modesSeen;
  int helpRows = 0, holdRows = 0, distanceRows = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    const DumpFrame& f = frames[i];
    const std::vector<std::string> c = splitCsv(rows[i + 1]);
    ASSERT_EQ(c.size(), 16u) << rows[i + 1];
    EXPECT_EQ("frame " + c[0] + " " + c[1], f.header);
    SCOPED_TRACE(f.header);

    const int modeY = f.lineOf("Ref Mode:");
    std::string shownMode = modeY >= 0 ? f.textAfter(modeY, 90) : "";
    const bool hold = shownMode.size() > 7 && shownMode.substr(shownMode.size() - 7) == " (Hold)";
    if (hold) shownMode.resize(shownMode.size() - 7);
    EXPECT_EQ(c[2], shownMode);
    EXPECT_EQ(c[3], hold ? "1" : "0");
    ++modesSeen[c[2]];
    holdRows += hold;

    const char* labels[3] = {"Pitch:", "Yaw:", "Roll:"};
    for (int axis = 0; axis < 3; ++axis) {
      const int y = f.lineOf(labels[axis]);
      if (y < 0) {
        EXPECT_EQ(c[5 + axis], "");
        EXPECT_EQ(c[8 + axis], "");
        continue;
      }
      EXPECT_DOUBLE_EQ(std::stod(c[5 + axis]), number(f.textAfter(y, 100)));
      EXPECT_DOUBLE_EQ(std::stod(c[8 + axis]), number(f.textAfter(y, 200)));
    }

    const int distanceY = f.lineOf("Distance:");
    const std::string distance = distanceY >= 0 ? f.textAfter(distanceY, 100) : "";
    if (distance.empty()) {
      EXPECT_EQ(c[11], "");
    } else {
      ++distanceRows;
      EXPECT_NEAR(std::stod(c[11]), number(distance), 1e-6);
      const int rateY = f.lineOf("Rad Vel:");
      EXPECT_DOUBLE_EQ(std::stod(c[12]), number(f.textAfter(rateY, 100)));
    }
    helpRows += c[15] != "0";
  }
  EXPECT_GT(modesSeen["Attitude"], 50);
  EXPECT_GT(modesSeen["Velocity"], 40);
  EXPECT_GT(modesSeen["Target Relative"], 40);
  EXPECT_GT(holdRows, 100);
  EXPECT_GT(distanceRows, 40);
  EXPECT_GT(helpRows, 5);
}

// What a field of the log holds in a state of the page.
enum class Shown { Empty, Figure, NotANumber };
constexpr Shown E = Shown::Empty, F = Shown::Figure, N = Shown::NotANumber;

// A redraw in each state of tests/sim/data/page_states.toml (its comments tell
// the flight), read on both its screens: 300 x 300 and 560 x 420 pixels.
struct PageState {
  const char* state;
  const char* t;  // the redraw's time as the log writes it
  const char* mode;
  const char* target;
  Shown deviation[3];  // pitch, yaw, roll
  Shown rate[3];
  Shown distance, rangeRate;
  const char* helpPage;
};
const PageState kPageStates[] = {
    {"attitude page", "0.000", "Attitude", "", {F, F, F}, {F, F, F}, E, E, "0"},
    {"target in the vessel's place",
     "2.000",
     "Target Relative",
     "Shadow",
     {N, N, F},
     {F, F, F},
     F,
     N,
     "0"},
    {"target 300 m off", "5.000", "Target Relative", "Tender", {F, F, F}, {F, F, F}, F, F, "0"},
    {"no target", "8.000", "Target Relative", "", {E, E, E}, {F, F, F}, E, E, "0"},
    {"help page", "11.000", "", "", {E, E, E}, {E, E, E}, E, E, "1"},
};

// The field against the text the dump shows at (y, x) of the same redraw: a
// figure is that text's number, a blank column an empty field, and a figure
// that is not a number is printed "nan" (signed rows "+nan") and logged "nan".
void expectField(const std::string& field, Shown shown, const DumpFrame& frame, int y, int x) {
  const std::string text = y < 0 ? "" : frame.textAfter(y, x);
  SCOPED_TRACE("page text \"" + text + "\" at x " + std::to_string(x));
  switch (shown) {
    case Shown::Empty:
      EXPECT_EQ(text, "");
      EXPECT_EQ(field, "");
      break;
    case Shown::Figure:
      ASSERT_NE(text, "");
      ASSERT_NE(field, "");
      EXPECT_NEAR(std::stod(field), number(text), 1e-9 * std::fabs(number(text)));
      break;
    case Shown::NotANumber:
      EXPECT_TRUE(text == "+nan" || text == "nan");
      EXPECT_EQ(field, "nan");
      break;
  }
}

TEST_F(ScreenLog, ReadsEachFigureByItsColumnInEveryStateOfThePage) {
  const std::string scenario =
      std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/tests/sim/data/page_states.toml";
  const simtest::RunResult r =
      run({scenario, "--dump", path("dump.txt"), "--screens", path("screens.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "") << "every event acts";
  const std::vector<DumpFrame> frames = readDump(simtest::readFile(path("dump.txt")));
  const std::vector<std::string> rows = simtest::lines(simtest::readFile(path("screens.csv")));
  ASSERT_EQ(rows.size(), frames.size() + 1);

  for (const PageState& s : kPageStates) {
    for (const char* screen : {"0", "1"}) {
      SCOPED_TRACE(std::string(s.state) + " at t = " + s.t + " on screen " + screen);
      const std::string header = std::string("frame ") + s.t + " " + screen;
      size_t i = 0;
      while (i < frames.size() && frames[i].header != header) ++i;
      ASSERT_LT(i, frames.size()) << "no redraw " << header;
      const DumpFrame& f = frames[i];
      const std::vector<std::string> c = splitCsv(rows[i + 1]);
      ASSERT_EQ(c.size(), 16u) << rows[i + 1];
      EXPECT_EQ(c[2], s.mode);
      EXPECT_EQ(c[4], s.target);
      EXPECT_EQ(c[15], s.helpPage);
      const char* labels[3] = {"Pitch:", "Yaw:", "Roll:"};
      for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(labels[axis]);
        const int y = f.lineOf(labels[axis]);
        expectField(c[5 + axis], s.deviation[axis], f, y, 100);
        expectField(c[8 + axis], s.rate[axis], f, y, 200);
      }
      expectField(c[11], s.distance, f, f.lineOf("Distance:"), 100);
      expectField(c[12], s.rangeRate, f, f.lineOf("Rad Vel:"), 100);
    }
  }
}

// A figure that is not a number is logged "nan" whatever its sign bit, on
// every platform; zero without its sign.
TEST(ScreenLogRow, FiguresThatAreNotNumbersAreLoggedNan) {
  sim::PageReading page;
  page.mode = "Entry Interface";
  page.entryAngle = sim::readFigure("-nan");
  page.timeToGo = sim::readFigure("+nan");
  page.deviation[0] = -0.0;
  std::string row;
  sim::appendScreenLogRow(row, 1.5, 0, page);
  EXPECT_EQ(row, "1.500,0,Entry Interface,0,,0,,,,,,,,nan,nan,0\n");
}

}  // namespace
