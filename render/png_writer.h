// PNG files of rendered pictures: 8-bit RGB, no row filter. On Linux the image
// data is compressed by render/png_image_data.h and framed by libpng; on
// Windows the imaging component encodes the picture (render/win32/).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "render/picture.h"

namespace render {

// Keeps the last picture it wrote with that picture's file: a picture equal to
// it (a page that has not changed since) is written from those bytes without
// encoding it again, and on Linux a picture of the same size compresses again
// only the rows that changed.
class PngWriter {
 public:
  PngWriter();
  ~PngWriter();
  PngWriter(PngWriter&&) noexcept;
  PngWriter& operator=(PngWriter&&) noexcept;

  // Writes the picture to path (created or truncated). Returns false and sets
  // error when it cannot; the file is then removed.
  bool write(const Picture& picture, const std::string& path, std::string& error);
  // Writes the picture to an open file; name is what error names. The caller
  // closes (and on failure discards) the file.
  bool write(const Picture& picture, FILE* file, const std::string& name, std::string& error);
  // Writes the last picture written again, from its kept file: for a screen
  // whose drawing has not changed since. False (and error) when there is none.
  bool writeLast(FILE* file, const std::string& name, std::string& error);

 private:
  struct Kept;  // what the platform's encoder keeps from picture to picture
  std::unique_ptr<Kept> kept_;
};

}  // namespace render
