// An instance constructed directly in the test, its record set by hand, and
// helpers to read a recorded drawing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"
#include "platform/recording.h"
#include "support/instance_fixture.h"

namespace gyrelle_test {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kPositiveBrush = RGB(0, 200, 0);
constexpr COLORREF kNegativeBrush = RGB(100, 100, 100);

class PageFixture : public InstanceFixture {
 protected:
  std::vector<GdiOp> redraw() {
    Recording recording(mfd->mfdWidth, mfd->mfdHeight);
    mfd->Redraw(recording.dc());
    return recording.finish();
  }
};

// The first text drawn with its top left at (x, y), or null.
inline const GdiOp* textAt(const std::vector<GdiOp>& ops, int x, int y) {
  for (const GdiOp& op : ops) {
    if (op.kind == GdiOpKind::Text && op.x == x && op.y == y) return &op;
  }
  return nullptr;
}

inline ::testing::AssertionResult hasText(const std::vector<GdiOp>& ops, int x, int y,
                                          const std::string& text, COLORREF colour) {
  const GdiOp* op = textAt(ops, x, y);
  if (op == nullptr) return ::testing::AssertionFailure() << "no text at " << x << "," << y;
  if (op->text != text || op->colour != colour) {
    return ::testing::AssertionFailure()
           << "at " << x << "," << y << ": \"" << op->text << "\" colour 0x" << std::hex
           << op->colour << ", expected \"" << text << "\" colour 0x" << colour;
  }
  return ::testing::AssertionSuccess();
}

// Path and line operations in a compact form: "M25,197 L35,197 A225,267,45,90,-90 ...";
// texts, colour and mode changes are left out.
inline std::string geometry(const std::vector<GdiOp>& ops, size_t first = 0,
                            size_t last = static_cast<size_t>(-1)) {
  std::string out;
  for (size_t i = first; i < ops.size() && i < last; ++i) {
    const GdiOp& op = ops[i];
    char item[96];
    switch (op.kind) {
      case GdiOpKind::MoveTo:
        std::snprintf(item, sizeof item, "M%d,%d", op.x, op.y);
        break;
      case GdiOpKind::LineTo:
        std::snprintf(item, sizeof item, "L%d,%d", op.x, op.y);
        break;
      case GdiOpKind::AngleArc:
        std::snprintf(item, sizeof item, "A%d,%d,%u,%g,%g", op.x, op.y, op.radius,
                      static_cast<double>(op.startDeg), static_cast<double>(op.sweepDeg));
        break;
      case GdiOpKind::BeginPath:
        std::snprintf(item, sizeof item, "[");
        break;
      case GdiOpKind::EndPath:
        std::snprintf(item, sizeof item, "]");
        break;
      case GdiOpKind::StrokeAndFill:
        std::snprintf(item, sizeof item, "F");
        break;
      default:
        continue;
    }
    if (!out.empty()) out += ' ';
    out += item;
  }
  return out;
}

}  // namespace gyrelle_test
