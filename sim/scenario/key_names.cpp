#include "sim/scenario/key_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace sim {
namespace {

struct NamedKey {
  const char* name;
  uint32_t scanCode;  // PC keyboard, set 1
};

// Scan-code order. The numeric keypad's codes are those of its keys with Num
// Lock off (7 8 9 / 4 5 6 / 1 2 3 / 0 in rows from 71).
constexpr std::array<NamedKey, 48> kKeys{{
    {"1", 2},        {"2", 3},        {"3", 4},        {"4", 5},        {"5", 6},
    {"6", 7},        {"7", 8},        {"8", 9},        {"9", 10},       {"0", 11},
    {"Q", 16},       {"W", 17},       {"E", 18},       {"R", 19},       {"T", 20},
    {"Y", 21},       {"U", 22},       {"I", 23},       {"O", 24},       {"P", 25},
    {"A", 30},       {"S", 31},       {"D", 32},       {"F", 33},       {"G", 34},
    {"H", 35},       {"J", 36},       {"K", 37},       {"L", 38},       {"Z", 44},
    {"X", 45},       {"C", 46},       {"V", 47},       {"B", 48},       {"N", 49},
    {"M", 50},       {"Period", 52},  {"Space", 57},   {"Numpad7", 71}, {"Numpad8", 72},
    {"Numpad9", 73}, {"Numpad4", 75}, {"Numpad5", 76}, {"Numpad6", 77}, {"Numpad1", 79},
    {"Numpad2", 80}, {"Numpad3", 81}, {"Numpad0", 82},
}};

constexpr std::string_view kShift = "shift-";

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The longest label read from a module: labels are a few characters; a longer
// one is cut rather than trusted to end.
constexpr size_t kMaxLabelLength = 64;

}  // namespace

std::optional<uint32_t> scanCodeOfKey(std::string_view name) {
  if (name.size() > kShift.size() && sameIgnoringCase(name.substr(0, kShift.size()), kShift))
    name.remove_prefix(kShift.size());
  if (name == ".") name = "Period";
  // "Numpad-5", as the help pages write it, is "Numpad5".
  std::string plain(name);
  if (plain.size() == 8 && sameIgnoringCase(plain.substr(0, 7), "numpad-")) plain.erase(6, 1);
  for (const NamedKey& k : kKeys)
    if (sameIgnoringCase(plain, k.name)) return k.scanCode;
  return std::nullopt;
}

std::string keyNameOfScanCode(uint32_t scanCode) {
  for (const NamedKey& k : kKeys)
    if (k.scanCode == scanCode) return k.name;
  return "";
}

std::vector<std::string> keyNames() {
  std::vector<std::string> names;
  for (const NamedKey& k : kKeys) names.emplace_back(k.name);
  return names;
}

std::vector<std::string> buttonLabels(MFD* instance) {
  std::vector<std::string> labels;
  if (instance == nullptr) return labels;
  const int count = std::clamp(instance->ButtonMenu(nullptr), 0, kMaxButtons);
  for (int i = 0; i < count; ++i) {
    const char* label = instance->ButtonLabel(i);
    labels.emplace_back(label ? std::string(label, strnlen(label, kMaxLabelLength)) : "");
  }
  return labels;
}

ButtonLookup findButton(const std::vector<std::string>& labels, std::string_view label) {
  ButtonLookup found;
  if (label.empty()) {
    found.problem = "an empty label names no button";
    return found;
  }
  for (size_t i = 0; i < labels.size(); ++i) {
    if (!sameIgnoringCase(labels[i], label)) continue;
    if (found.index) {
      found.problem = "buttons " + std::to_string(*found.index) + " and " + std::to_string(i) +
                      " both show '" + std::string(label) + "': give the index";
      found.index.reset();
      return found;
    }
    found.index = int(i);
  }
  if (!found.index) found.problem = "no button shows '" + std::string(label) + "'";
  return found;
}

}  // namespace sim
