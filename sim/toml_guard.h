// What the TOML library (toml++ 3.3) must not be shown. Its test for
// whitespace beyond ASCII ends in __builtin_unreachable() for most code points
// from U+00A1 to U+FEFF, so a character such as 'é' where the parser looks for
// whitespace (outside strings and comments; in a multi-line string after a
// backslash and the blanks that follow it, and after a line-ending
// backslash's line breaks) is undefined behaviour in the library
// (fuzz/crashes/fuzz_scenario keeps such inputs). Outside strings and
// comments, or right after a backslash, such a character is an error in any
// case; after a line-ending backslash it is refused too, with a message
// saying how to avoid it.
// Also refused: a '}' where an array expects a value ("[1, }"), which the
// library assumes never happens, and a date followed by a space and a single
// digit ("2026-12-07 7"), which the library reads past.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// Throws ScenarioError at the first such character.
void checkTomlText(std::string_view text, const std::string& file);

}  // namespace sim
