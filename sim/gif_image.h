// One image of an animated GIF, as the file holds it (GIF89a specification,
// sections 20 to 22 and appendix F): the image descriptor of a frame at the
// top left, its local colour table, and its pixels' colour indexes in
// variable-length LZW codes (Welch, "A Technique for High-Performance Data
// Compression", IEEE Computer 17(6), 1984) packed least significant bit
// first into sub-blocks of at most 255 bytes. The codes are those giflib's
// encoder writes: the string table starts empty after a clear code, grows
// by one string a code, widens a code by one bit once the next string's code
// no longer fits, and is cleared when it would reach code 4095.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/gif_palette.h"

namespace sim {

class GifImageEncoder {
 public:
  GifImageEncoder();
  // Appends frame, width x height pixels, to out.
  void encode(const IndexedPicture& frame, uint32_t width, uint32_t height,
              std::vector<unsigned char>& out);

 private:
  // The string table: next_[index << 12 | code] is the code of the string
  // `code` followed by `index`, 0 for none (no string takes code 0: it is a
  // single index's). A direct look-up, 2 MB, laid out so that the strings
  // of one index (a run of black) sit together; only the entries a table
  // used are cleared.
  std::vector<uint16_t> next_;
  std::vector<uint32_t> used_;  // entries of next_ set since the last clear
  // runCode_[k << 12 | n]: the code of the string of n times index k, for n
  // from 2 to longestRun_[k] (1: none yet).
  std::vector<uint16_t> runCode_;
  uint16_t longestRun_[256];
};

}  // namespace sim
