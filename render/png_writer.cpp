#include "render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace render {
namespace {

// libpng reports errors by longjmp to the setjmp below: this function holds
// no object with a destructor, so the jump skips nothing that needs one.
// Returns false with libpng's message in message[128] when it fails.
bool encode(FILE* file, const Picture& picture, unsigned char* row, char* message) {
  png_structp png = png_create_write_struct(
      PNG_LIBPNG_VER_STRING, message,
      [](png_structp p, png_const_charp text) {
        auto* out = static_cast<char*>(png_get_error_ptr(p));
        std::snprintf(out, 128, "%s", text);
        png_longjmp(p, 1);
      },
      nullptr);
  if (png == nullptr) {
    std::snprintf(message, 128, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(message, 128, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  const uint32_t width = picture.width;
  for (uint32_t y = 0; y < picture.height; ++y) {
    const uint32_t* pixels = picture.pixels.data() + size_t(y) * width;
    for (uint32_t x = 0; x < width; ++x) {  // 0x00RRGGBB to R, G, B
      const uint32_t p = pixels[x];
      row[3 * x] = static_cast<unsigned char>(p >> 16);
      row[3 * x + 1] = static_cast<unsigned char>(p >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(p);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool PngWriter::write(const Picture& picture, FILE* file, const std::string& name,
                      std::string& error) {
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = name + ": cannot write an empty picture";
    return false;
  }
  row_.resize(size_t(picture.width) * 3);
  char message[128] = {};
  if (!encode(file, picture, row_.data(), message)) {
    error = name + ": cannot write: " + message;
    return false;
  }
  return true;
}

bool PngWriter::write(const Picture& picture, const std::string& path, std::string& error) {
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = path + ": cannot write an empty picture";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  row_.resize(size_t(picture.width) * 3);
  char message[128] = {};
  const bool encoded = encode(file, picture, row_.data(), message);
  const bool flushed = std::ferror(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (encoded && !(flushed && closed))
    std::snprintf(message, sizeof message, "%s", std::strerror(errno));
  if (!(encoded && flushed && closed)) {
    error = path + ": cannot write: " + message;
    std::remove(path.c_str());
    return false;
  }
  return true;
}

}  // namespace render
