// PNG files of rendered pictures, written with libpng: 8-bit RGB, no row
// filter and zlib level 1. Screen pictures are mostly flat black with a few
// lines and glyphs, which level 1 already packs well; the default filters and
// level cost several times as much for a few per cent of size.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/picture.h"

namespace render {

// Keeps its buffers from one picture to the next, so that writing a series of
// frames of one size allocates nothing after the first, and keeps the last
// picture it encoded with its bytes: a picture equal to it (a page that has
// not changed since) is written from those bytes without encoding it again.
class PngWriter {
 public:
  // Writes the picture to path (created or truncated). Returns false and sets
  // error when it cannot; the file is then removed.
  bool write(const Picture& picture, const std::string& path, std::string& error);
  // Writes the picture to an open file; name is what error names. The caller
  // closes (and on failure discards) the file.
  bool write(const Picture& picture, FILE* file, const std::string& name, std::string& error);

 private:
  std::vector<unsigned char> row_;  // one row as R, G, B bytes
  Picture last_;                    // the picture png_ holds
  std::vector<unsigned char> png_;  // the last picture's file, as written
};

}  // namespace render
