#include "render/png_writer.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/png_image_data.h"

namespace render {
namespace {

constexpr size_t kIdatChunk = size_t(1) << 20;  // [bytes] of image data a chunk at most
constexpr size_t kChunkRoom = 64;               // [bytes] of signature, header and end chunks

// Appends what libpng writes to the vector behind the write pointer, within
// the room reserved for it (growing it could throw through libpng's C code).
void appendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  if (out->capacity() - out->size() < size) png_error(png, "the file outgrew its buffer");
  out->insert(out->end(), data, data + size);
}

// The file of a picture whose image data is compressed already: libpng writes
// the signature, the header, the data in chunks and the end, each chunk with
// its CRC. libpng reports errors by longjmp to the setjmp below: this function
// holds no object with a destructor, so the jump skips nothing that needs one
// (the vectors are the caller's). Returns false with libpng's message in
// message[128] when it fails.
bool frame(std::vector<unsigned char>* out, uint32_t width, uint32_t height,
           const std::vector<unsigned char>* data, char* message) {
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
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  static const png_byte kIdat[] = "IDAT", kIend[] = "IEND";
  for (size_t at = 0; at < data->size(); at += kIdatChunk)
    png_write_chunk(png, kIdat, data->data() + at, std::min(kIdatChunk, data->size() - at));
  png_write_chunk(png, kIend, nullptr, 0);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

struct PngWriter::Kept {
  PngImageData data;
  std::vector<unsigned char> file;  // of the picture data holds, as written
};

PngWriter::PngWriter() : kept_(std::make_unique<Kept>()) {}
PngWriter::~PngWriter() = default;
PngWriter::PngWriter(PngWriter&&) noexcept = default;
PngWriter& PngWriter::operator=(PngWriter&&) noexcept = default;

bool PngWriter::write(const Picture& picture, FILE* file, const std::string& name,
                      std::string& error) {
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = name + ": cannot write an empty picture";
    return false;
  }
  Kept& k = *kept_;
  bool changed = false;
  if (!k.data.set(picture, changed)) {
    k.file.clear();
    error = name + ": cannot write: out of memory to compress the picture";
    return false;
  }
  if (changed || k.file.empty()) {
    const size_t idatChunks = k.data.stream().size() / kIdatChunk + 1;
    k.file.clear();
    k.file.reserve(k.data.stream().size() + 12 * idatChunks + kChunkRoom);
    char message[128] = {};
    if (!frame(&k.file, picture.width, picture.height, &k.data.stream(), message)) {
      k.file.clear();  // framed again next time, even for the same picture
      error = name + ": cannot write: " + message;
      return false;
    }
  }
  return writeLast(file, name, error);
}

bool PngWriter::writeLast(FILE* file, const std::string& name, std::string& error) {
  const std::vector<unsigned char>& bytes = kept_->file;
  if (bytes.empty()) {
    error = name + ": cannot write: no picture to write again";
    return false;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
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
