#include "render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace render {
namespace {

// Room for a picture's whole file: its rows as they are (filter byte and
// R, G, B), which deflate never grows by more than a few bytes a block, and
// the chunks' headers.
size_t fileBound(const Picture& picture) {
  const size_t raw = size_t(picture.height) * (size_t(picture.width) * 3 + 1);
  return raw + raw / 64 + 4096;
}

// Appends what libpng writes to the vector behind the write pointer, within
// the room reserved for it (growing it could throw through libpng's C code).
void appendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  if (out->capacity() - out->size() < size) png_error(png, "the file outgrew its buffer");
  out->insert(out->end(), data, data + size);
}

// libpng reports errors by longjmp to the setjmp below: this function holds
// no object with a destructor, so the jump skips nothing that needs one (the
// vector is the caller's). Returns false with libpng's message in
// message[128] when it fails.
bool encode(std::vector<unsigned char>* out, const Picture& picture, unsigned char* row,
            char* message) {
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
  png_set_write_fn(png, out, appendBytes, nullptr);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  const uint32_t width = picture.width;
  for (uint32_t y = 0; y < picture.height; ++y) {
    const uint32_t* pixels = picture.pixels.data() + size_t(y) * width;
    // 0x00RRGGBB to the bytes R, G, B: byte-swapped and shifted, the pixel is
    // 0x00BBGGRR, whose four little-endian bytes are R, G, B, 0; each store
    // of four bytes is overwritten by the next pixel's from the fourth on
    // (the row has a byte to spare for the last one).
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t rgb = __builtin_bswap32(pixels[x]) >> 8;
      std::memcpy(row + 3 * size_t(x), &rgb, 4);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool samePicture(const Picture& a, const Picture& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

}  // namespace

bool PngWriter::write(const Picture& picture, FILE* file, const std::string& name,
                      std::string& error) {
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = name + ": cannot write an empty picture";
    return false;
  }
  if (png_.empty() || !samePicture(picture, last_)) {
    row_.resize(size_t(picture.width) * 3 + 1);
    png_.clear();
    png_.reserve(fileBound(picture));
    char message[128] = {};
    if (!encode(&png_, picture, row_.data(), message)) {
      png_.clear();  // nothing kept: the next picture is encoded afresh
      error = name + ": cannot write: " + message;
      return false;
    }
    last_.width = picture.width;
    last_.height = picture.height;
    last_.pixels = picture.pixels;
  }
  if (std::fwrite(png_.data(), 1, png_.size(), file) != png_.size()) {
    error = name + ": cannot write: " + std::strerror(errno);
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
  const bool written = write(picture, file, path, error);
  const bool flushed = std::ferror(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (written && !(flushed && closed)) error = path + ": cannot write: " + std::strerror(errno);
  if (!(written && flushed && closed)) {
    std::remove(path.c_str());
    return false;
  }
  return true;
}

}  // namespace render
