// The text of a recorded page, for the terminal: text operations grouped into
// lines by y (top to bottom), each line's pieces ordered by x and joined by
// one blank.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi_ops.h"

namespace render {

std::vector<std::string> pageText(const std::vector<GdiOp>& ops);

}  // namespace render
