// The help pages: the text's shape and fixed lines, and how a page is drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mfd/help_text.h"
#include "mfd/page_fixture.h"

namespace {

using gyrelle_test::hasText;
using gyrelle_test::kCyan;
using gyrelle_test::kGreen;
using gyrelle_test::kWhite;
using gyrelle_test::textAt;

// Entry k (from 1) of page p (from 1).
std::string entry(int page, int line) {
  return helpText[(page - 1) * helpLinesPerPage + (line - 1)];
}

TEST(HelpText, HasSevenPagesOfTwentyFiveLinesThenNull) {
  for (int i = 0; i < helpPageCount * helpLinesPerPage; ++i) {
    EXPECT_NE(helpText[i], nullptr) << i;
  }
  EXPECT_EQ(helpText[175], nullptr);
}

TEST(HelpText, EveryLineFitsTheScreen) {
  for (int i = 0; i < 175; ++i) {
    const char* line = helpText[i];
    if (line == nullptr) continue;
    if (line[0] == '^' || line[0] == '%') ++line;
    EXPECT_LE(std::strlen(line), static_cast<size_t>(helpVisibleWidth)) << '"' << line << '"';
  }
}

TEST(HelpText, HeadingsAndPromptsAreFixed) {
  EXPECT_EQ(entry(1, 1), "^Gyrelle Version 3.0 (050615)");
  EXPECT_EQ(entry(1, 2).substr(0, 1), "^");
  EXPECT_EQ(entry(1, 4), "^KEY CONCEPTS");
  EXPECT_EQ(entry(1, 8), "Halcyra's global/ecliptic system.");
  EXPECT_EQ(entry(1, 14), "There are four reference attitudes: ");
  EXPECT_EQ(entry(1, 16), "1. User attitude - orient and set ");
  EXPECT_EQ(entry(1, 17), "2. Velocity vector & local horizon");
  EXPECT_EQ(entry(1, 18), "3. Target relative (more later)");
  EXPECT_EQ(entry(1, 19), "4. Entry interface & local horizon");
  EXPECT_EQ(entry(2, 1), "^USER ATTITUDE (Attitude mode)");
  EXPECT_EQ(entry(3, 1), "^VELOCITY VECTOR");
  EXPECT_EQ(entry(4, 1), "^TARGET RELATIVE");
  EXPECT_EQ(entry(5, 1), "^EARTH ENTRY INTERFACE");
  EXPECT_EQ(entry(5, 5), "at entry interface (approx 99 Km");
  EXPECT_EQ(entry(5, 6), "above Earth's surface).");
  EXPECT_EQ(entry(5, 8), "Valid only for elliptical orbits");
  EXPECT_EQ(entry(5, 9), "reentering the Earth's atmosphere.");
  EXPECT_EQ(entry(6, 1), "^DISPLAY");
  EXPECT_EQ(entry(7, 1), "^MISCELLANY");
  for (int page = 1; page <= 6; ++page) {
    EXPECT_EQ(entry(page, 25), "%Press any button or key: next page") << page;
  }
  EXPECT_EQ(entry(7, 25), "%Press any button or key: Resume MFD");
  // Only the fixed headings and prompts carry markers.
  for (int page = 1; page <= 7; ++page) {
    for (int line = 2; line < 25; ++line) {
      if (page == 1 && (line == 2 || line == 4)) continue;
      const std::string text = entry(page, line);
      EXPECT_TRUE(text.empty() || (text[0] != '^' && text[0] != '%')) << page << "," << line;
    }
  }
}

TEST(HelpText, ModePagesRepeatTheOffsetAndHoldParagraphs) {
  for (int i = 0; i < 5; ++i) {
    const std::string offsets = entry(2, 7 + i);
    const std::string hold = entry(2, 17 + i);
    EXPECT_FALSE(offsets.empty());
    EXPECT_EQ(entry(3, 10 + i), offsets);
    EXPECT_EQ(entry(3, 16 + i), hold);
    EXPECT_EQ(entry(5, 11 + i), offsets);
    EXPECT_EQ(entry(5, 17 + i), hold);
  }
}

class HelpPages : public gyrelle_test::PageFixture {};

TEST_F(HelpPages, FirstPageInPlaceOfTheValues) {
  GyrelleMFD& m = makeInstance();
  m.helpPage = 1;
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 20, "Gyrelle Version 3.0 (050615)", kWhite));
  EXPECT_TRUE(hasText(ops, 5, 50, "KEY CONCEPTS", kWhite));
  EXPECT_TRUE(hasText(ops, 5, 90, "Halcyra's global/ecliptic system.", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 260, "Press any button or key: next page", kCyan));
  for (const GdiOp& op : ops) {
    EXPECT_NE(op.kind, GdiOpKind::LineTo);  // no gauges
    if (op.kind == GdiOpKind::Text) {
      EXPECT_LE(op.y, 260);
      EXPECT_NE(op.text, "Ref Mode:");
    }
  }
}

TEST_F(HelpPages, LastPageEndsWithTheResumePrompt) {
  GyrelleMFD& m = makeInstance(400);  // lineHeight 14
  m.helpPage = 7;
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 28, "MISCELLANY", kWhite));
  EXPECT_TRUE(hasText(ops, 5, 26 * 14, "Press any button or key: Resume MFD", kCyan));
  // The colour is put back after each marked line.
  const GdiOp* next = textAt(ops, 5, 3 * 14 + 14);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->colour, kGreen);
}

TEST_F(HelpPages, PageBeyondTheLastDrawsNothing) {
  GyrelleMFD& m = makeInstance();
  m.helpPage = 8;
  for (const GdiOp& op : redraw()) {
    if (op.kind == GdiOpKind::Text) {
      EXPECT_EQ(op.text, "Gyrelle V3.0");
    }
  }
}

}  // namespace
