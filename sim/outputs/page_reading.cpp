#include "sim/outputs/page_reading.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace sim {
namespace {

constexpr double kAstronomicalUnit = 149597870700.0;  // [m], as the page divides by it

// The headings of the help pages, page 1 first: the pilot tells the page by them.
constexpr std::string_view kHelpHeadings[] = {
    "KEY CONCEPTS",          "USER ATTITUDE", "VELOCITY VECTOR", "TARGET RELATIVE",
    "EARTH ENTRY INTERFACE", "DISPLAY",       "MISCELLANY",
};

constexpr std::string_view kHoldSuffix = " (Hold)";

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A piece of text on the page, at its top left corner.
struct Piece {
  int32_t y;
  int32_t x;
  std::string_view text;  // the drawing's own text
};

// One line's pieces, left to right (a later piece at the same spot comes
// after the earlier one).
struct Line {
  const Piece* first;
  size_t size;
  std::string_view operator[](size_t i) const { return first[i].text; }
};

// The pieces of the page ordered by line (y), then left to right (x), in
// drawing order where both are equal.
std::vector<Piece> piecesOf(const std::vector<GdiOp>& ops) {
  std::vector<Piece> pieces;
  pieces.reserve(ops.size());
  for (const GdiOp& op : ops)
    if (op.kind == GdiOpKind::Text) pieces.push_back(Piece{op.y, op.x, op.text});
  std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  return pieces;
}

// The page's columns [pixels from the screen's left edge]: labels at 5, a
// row's first figure at 100, its second at 200. They stay there whatever the
// screen's size (only the spacing of the lines follows its height), so a
// piece is told by its x alone: it belongs to the column it starts nearest to.
enum Column { kLabelColumn, kFirstValue, kSecondValue };
constexpr int32_t kColumnX[] = {5, 100, 200};

Column columnOf(int32_t x) {
  Column nearest = kLabelColumn;
  for (Column c : {kFirstValue, kSecondValue})
    if (std::abs(int64_t(x) - kColumnX[c]) < std::abs(int64_t(x) - kColumnX[nearest])) nearest = c;
  return nearest;
}

// The figure a line shows in a value column, read by its place, not by its
// order: a row that leaves its first figure blank shows its second figure in
// the second column still, and the first is absent.
std::optional<double> figureIn(const Line& line, Column column) {
  for (size_t i = 1; i < line.size; ++i)
    if (columnOf(line.first[i].x) == column) return readFigure(line[i]);
  return std::nullopt;
}

int helpPageOf(std::string_view text) {
  for (int page = 1; page <= 7; ++page) {
    const std::string_view heading = kHelpHeadings[page - 1];
    // "USER ATTITUDE (Attitude mode)": the heading with a note after it.
    if (startsWith(text, heading) &&
        (text.size() == heading.size() || startsWith(text.substr(heading.size()), " (")))
      return page;
  }
  return 0;
}

}  // namespace

bool PageReading::showsAttitude() const {
  for (int i = 0; i < 3; ++i)
    if (!deviation[i] || !rate[i]) return false;
  return true;
}

std::optional<double> readFigure(std::string_view text) {
  std::string_view s = trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end == s.data()) return std::nullopt;
  const std::string_view suffix(end, size_t(s.data() + s.size() - end));
  if (suffix.empty()) return value;
  if (suffix == "k") return value * 1e3;
  if (suffix == "M") return value * 1e6;
  if (suffix == "AU") return value * kAstronomicalUnit;
  return std::nullopt;
}

PageReading readPage(const std::vector<GdiOp>& ops) {
  PageReading page;
  bool modeRow = false;
  int helpPage = 0;
  const std::vector<Piece> pieces = piecesOf(ops);
  for (size_t start = 0, end = 0; start < pieces.size(); start = end) {
    while (end < pieces.size() && pieces[end].y == pieces[start].y) ++end;
    const Line line{&pieces[start], end - start};
    const std::string_view label = trimmed(line[0]);
    if (label == "Ref Mode:") {
      modeRow = true;
      std::string_view name;
      if (line.size > 1) name = line[1];
      page.hold = endsWith(name, kHoldSuffix);
      if (page.hold) name.remove_suffix(kHoldSuffix.size());
      page.mode = std::string(name);
    } else if (label == "Pitch:" || label == "Yaw:" || label == "Roll:") {
      const size_t axis = label == "Pitch:" ? 0 : label == "Yaw:" ? 1 : 2;
      page.deviation[axis] = figureIn(line, kFirstValue);
      page.rate[axis] = figureIn(line, kSecondValue);
    } else if (startsWith(label, "Target:")) {
      page.target = std::string(trimmed(label.substr(7)));
    } else if (label == "Distance:") {
      page.distance = figureIn(line, kFirstValue);
    } else if (label == "Rad Vel:") {
      page.rangeRate = figureIn(line, kFirstValue);
    } else if (startsWith(label, "Entry Angle:")) {
      page.entryAngle = readFigure(label.substr(12));
    } else if (startsWith(label, "Time To Go:")) {
      page.timeToGo = readFigure(label.substr(11));
    } else if (helpPage == 0) {
      helpPage = helpPageOf(label);
    }
  }
  // A page with the mode row is a value page, whatever its text says.
  if (!modeRow) page.helpPage = helpPage;
  return page;
}

}  // namespace sim
