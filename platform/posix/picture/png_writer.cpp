#include "platform/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <new>

namespace render {
namespace {

constexpr int kLevel = 1;  // zlib's fastest

// Appends what libpng writes to the vector behind the write pointer.
void appendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  bool grown = true;
  try {
    out->insert(out->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    grown = false;
  }
  if (!grown) png_error(png, "out of memory");
}

// libpng reports errors by longjmp to the setjmp below: this function holds
// no object with a destructor, so the jump skips nothing that needs one (the
// vectors are the caller's). Returns false with libpng's message in
// message[128] when it fails.
bool write(const Picture& picture, png_bytep* rows, std::vector<unsigned char>* out,
           char* message) {
  png_structp png = png_create_write_struct(
      PNG_LIBPNG_VER_STRING, message,
      [](png_structp p, png_const_charp text) {
        std::snprintf(static_cast<char*>(png_get_error_ptr(p)), 128, "%s", text);
        png_longjmp(p, 1);
      },
      nullptr);
  png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(message, 128, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, appendBytes, nullptr);
  png_set_compression_level(png, kLevel);
  // Run-length matches only: screen pictures are long runs of one colour.
  png_set_compression_strategy(png, Z_RLE);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // A pixel 0x00RRGGBB in memory, little-endian, is the bytes B, G, R, 0:
  // libpng takes them as they are, swapping to RGB and dropping the fourth.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool encodePng(const Picture& picture, std::vector<unsigned char>& png, std::string& error) {
  png.clear();
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = "cannot write an empty picture";
    return false;
  }
  std::vector<png_bytep> rows(picture.height);
  for (uint32_t y = 0; y < picture.height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(
        const_cast<uint32_t*>(&picture.pixels[size_t(y) * picture.width]));
  char message[128] = {};
  if (!write(picture, rows.data(), &png, message)) {
    png.clear();
    error = std::string("cannot write: ") + message;
    return false;
  }
  return true;
}

}  // namespace render
