// Keyboard scan codes (PC set 1) the mode handles.
#pragma once

#include <cstdint>

constexpr uint32_t kKey1 = 2;
constexpr uint32_t kKey2 = 3;
constexpr uint32_t kKey3 = 4;
constexpr uint32_t kKey4 = 5;
constexpr uint32_t kKeyR = 19;
constexpr uint32_t kKeyT = 20;
constexpr uint32_t kKeyY = 21;
constexpr uint32_t kKeyP = 25;
constexpr uint32_t kKeyH = 35;
constexpr uint32_t kKeyC = 46;
constexpr uint32_t kKeyB = 48;
constexpr uint32_t kKeyN = 49;
constexpr uint32_t kKeyM = 50;
constexpr uint32_t kKeyPeriod = 52;
constexpr uint32_t kKeySpace = 57;
constexpr uint32_t kKeyPad7 = 71;
constexpr uint32_t kKeyPad8 = 72;
constexpr uint32_t kKeyPad9 = 73;
constexpr uint32_t kKeyPad5 = 76;
constexpr uint32_t kKeyPad1 = 79;
constexpr uint32_t kKeyPad2 = 80;
constexpr uint32_t kKeyPad3 = 81;
constexpr uint32_t kKeyPad0 = 82;
constexpr uint32_t kKeyNone = 99;  // no key handles it
