// A picture as the bytes of a PNG file: 8-bit RGB, not interlaced, compressed
// at a fast level (screen pictures are long runs of one colour, which the
// fastest levels pack about as well as the slowest). On Linux libpng writes it
// (platform/posix/picture/png_writer.cpp); on Windows the imaging component
// (platform/win32/picture/png_writer.cpp).
#pragma once

#include <string>
#include <vector>

#include "platform/picture.h"

namespace render {

// Sets png to the file's bytes. Returns false and sets error (what failed,
// without a file name) when it cannot, or for a picture without pixels.
bool encodePng(const Picture& picture, std::vector<unsigned char>& png, std::string& error);

}  // namespace render
