// The pilot's guide (docs/pilot-guide.md) kept in step with the loaded module:
// its button table holds every label and menu text the module shows, at the
// button's number; its key table holds exactly the keys the module answers;
// the titles of the boxes the keys open and the mode's name and selection key
// are written as the module has them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "mfd/gyrelle_mfd.h"
#include "sim/scenario/key_names.h"
#include "support/world_fixture.h"

namespace {

using Row = std::vector<std::string>;

// A scan code's key as the guide writes it after "Shift-", in the help pages'
// spelling of the host's key names (sim/scenario/key_names.h): "Numpad5" is
// "Numpad-5", "Period" is "."; empty for a key without a name.
std::string guideKeyName(uint32_t scanCode) {
  std::string name = sim::keyNameOfScanCode(scanCode);
  if (name == "Period") return ".";
  if (name.rfind("Numpad", 0) == 0) name.insert(6, "-");
  return name;
}

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The body rows of the first table after the line `heading`, cut into cells.
std::vector<Row> tableAfter(const std::string& text, const std::string& heading) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line) && line != heading) {
  }
  std::vector<Row> rows;
  bool inTable = false;
  while (std::getline(in, line)) {
    if (line.rfind("|", 0) != 0) {
      if (inTable) break;
      continue;
    }
    inTable = true;
    Row cells;
    std::istringstream row(line.substr(1));
    std::string cell;
    while (std::getline(row, cell, '|')) cells.push_back(trim(cell));
    if (cells.empty() || cells[0].rfind("---", 0) == 0) continue;  // the separator
    rows.push_back(cells);
  }
  if (!rows.empty()) rows.erase(rows.begin());  // the header
  return rows;
}

class PilotGuide : public gyrelle_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    screen = loadModuleWithScreen();
    addVessel("Tender", VECTOR3{gyrelle_test::kOrbitRadius, 100, 0});
    std::ifstream file(std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                       "/docs/pilot-guide.md");
    ASSERT_TRUE(file) << "docs/pilot-guide.md cannot be read";
    std::ostringstream text;
    text << file.rdbuf();
    guide = text.str();
  }
  MFD& mfd() { return *world->screen(screen).instance; }
  const GyrelleMFD& record() { return *static_cast<GyrelleMFD*>(world->screen(screen).instance); }
  // A display opened afresh in reference mode `mode` (1 to 4), no box, no help.
  void freshDisplayIn(int mode) {
    ASSERT_TRUE(world->setScreenMode(screen, "none"));
    ASSERT_TRUE(world->setScreenMode(screen, "Gyrelle"));
    ASSERT_TRUE(world->pressKey(screen, static_cast<uint32_t>(mode + 1)));
    world->cancelInput(screen);
    ASSERT_EQ(static_cast<int>(record().refMode), mode);
    ASSERT_EQ(record().helpPage, 0);
  }
  bool mentions(const std::string& text) { return guide.find(text) != std::string::npos; }

  size_t screen = 0;
  std::string guide;
};

TEST_F(PilotGuide, ButtonTableHoldsEveryLabelAndMenuTextAtItsNumber) {
  std::map<int, Row> guideRows;
  for (const Row& row : tableAfter(guide, "### The buttons")) {
    ASSERT_GE(row.size(), 3u);
    EXPECT_TRUE(guideRows.emplace(std::stoi(row[0]), row).second)
        << "button " << row[0] << " twice";
  }
  const MFDBUTTONMENU* menu = nullptr;
  for (int mode = 1; mode <= 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    freshDisplayIn(mode);
    const int count = mfd().ButtonMenu(&menu);
    ASSERT_NE(menu, nullptr);
    size_t labelled = 0;
    for (int b = 0; b < count; ++b) {
      const std::string label = mfd().ButtonLabel(b) != nullptr ? mfd().ButtonLabel(b) : "";
      const auto it = guideRows.find(b);
      if (label.empty()) {
        EXPECT_EQ(it, guideRows.end()) << "the guide lists blank button " << b;
        continue;
      }
      ++labelled;
      ASSERT_NE(it, guideRows.end()) << "button " << b << " (" << label << ") is not listed";
      EXPECT_EQ(it->second[1], label) << "button " << b;
      std::string menuText = menu[b].line1;
      if (menu[b].line2 != nullptr && menu[b].line2[0] != '\0')
        menuText += " / " + std::string(menu[b].line2);
      EXPECT_EQ(it->second[2], menuText) << "button " << b;
    }
    EXPECT_EQ(guideRows.size(), labelled);
  }
}

// Every scan code pressed on a fresh display in each mode: the keys taken are
// the key table's, in every mode alike (the guide says a key is taken also
// where it does nothing), and each box a key opens is named as its title reads.
TEST_F(PilotGuide, KeyTableHoldsExactlyTheKeysTheModuleAnswers) {
  std::set<std::string> listed;
  for (const Row& row : tableAfter(guide, "### The keys")) listed.insert(row.at(0));
  ASSERT_FALSE(listed.empty());

  std::set<std::string> answeredInAnyMode;
  for (int mode = 1; mode <= 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    std::set<std::string> answered;
    for (uint32_t code = 1; code < 128; ++code) {
      freshDisplayIn(mode);
      if (!world->pressKey(screen, code)) continue;
      const std::string name = guideKeyName(code);
      if (name.empty()) {
        ADD_FAILURE() << "scan code " << code << " is answered but has no name in the guide";
        continue;
      }
      answered.insert("Shift-" + name);
      const auto& box = world->screen(screen).inputBox;
      if (box) {
        EXPECT_TRUE(mentions("\"" + box->title + "\"")) << box->title;
      }
    }
    EXPECT_EQ(answered, listed);
    answeredInAnyMode.insert(answered.begin(), answered.end());
  }
  EXPECT_EQ(answeredInAnyMode, listed);
}

TEST_F(PilotGuide, NamesTheModeAndItsSelectionKeyAsRegistered) {
  ASSERT_EQ(world->modes().size(), 1u);
  const halcyra::ModeRegistration& mode = world->modes().front();
  const std::string key = guideKeyName(mode.key);
  ASSERT_FALSE(key.empty()) << "selection key " << mode.key;
  const std::string phrase = "\"" + mode.name + "\" (selection key " + key + ")";
  EXPECT_TRUE(mentions(phrase)) << phrase;
}

}  // namespace
