// The seven help pages shown instead of the value pages while helpPage is not 0.
//
// Line k of page p (both from 1) is helpText[(p - 1) * helpLinesPerPage + k - 1];
// the array ends with one null pointer. A line that begins with '^' is a
// heading (white), one that begins with '%' a prompt (cyan); the marker is not
// drawn. At most 36 visible characters a line, marker not counted.
#pragma once

#include <cstdint>

constexpr int32_t helpPageCount = 7;
constexpr int32_t helpLinesPerPage = 25;
constexpr int32_t helpVisibleWidth = 36;  // [characters] a line, marker not counted

extern const char* const helpText[helpPageCount * helpLinesPerPage + 1];
