#include "sim/serve/key_names.h"

#include <cctype>

namespace sim {

// Letters and digits by their PC set-1 scan codes, until scenarios name keys
// and this defers to their table.
std::optional<uint32_t> keyCodeByName(const std::string& name) {
  static const char* const kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const uint32_t kRowStart[] = {16, 30, 44};
  if (name.size() != 1) return std::nullopt;
  const char c = char(std::toupper(static_cast<unsigned char>(name[0])));
  if (c >= '1' && c <= '9') return uint32_t(2 + (c - '1'));
  if (c == '0') return 11u;
  for (int r = 0; r < 3; ++r)
    for (int i = 0; kRows[r][i]; ++i)
      if (kRows[r][i] == c) return kRowStart[r] + uint32_t(i);
  return std::nullopt;
}

}  // namespace sim
