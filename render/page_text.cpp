#include "render/page_text.h"

#include <algorithm>
#include <map>

namespace render {

std::vector<std::string> pageText(const std::vector<GdiOp>& ops) {
  // y -> (x, order of drawing, text); drawing order breaks ties so that a piece
  // drawn later at the same spot comes after the earlier one.
  std::map<int32_t, std::vector<std::pair<std::pair<int32_t, size_t>, std::string>>> lines;
  for (size_t i = 0; i < ops.size(); ++i) {
    const GdiOp& op = ops[i];
    if (op.kind == GdiOpKind::Text) lines[op.y].push_back({{op.x, i}, op.text});
  }
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (auto& [y, pieces] : lines) {
    std::sort(pieces.begin(), pieces.end());
    std::string line;
    for (const auto& piece : pieces) {
      if (!line.empty()) line += ' ';
      line += piece.second;
    }
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace render
