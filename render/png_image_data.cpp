#include "render/png_image_data.h"

#include <algorithm>
#include <cstring>

namespace render {
namespace {

constexpr int kLevel = 1;         // the fastest
constexpr int kRawDeflate = -15;  // windowBits: no zlib wrapper, a 32 KB window
// 2^(5 + 7) hash entries, which run-length matching never reads but a reset
// clears, and room for 2^(5 + 6) symbols a block.
constexpr int kMemLevel = 5;
constexpr size_t kFlushRoom = 16;  // [bytes] beyond deflateBound for the sync flush's empty block

// The zlib header of a deflate stream with a 32 KB window at the fastest
// level: CMF 0x78, FLG 0x01, whose check bits make 0x7801 a multiple of 31.
constexpr unsigned char kZlibHeader[] = {0x78, 0x01};

// The pixels 0x00RRGGBB of one row to the bytes R, G, B behind a filter byte
// 0: byte-swapped and shifted, a pixel is 0x00BBGGRR, whose four little-endian
// bytes are R, G, B, 0; each store of four bytes is overwritten by the next
// pixel's from the fourth on (out has a byte to spare after the last one).
void filteredRow(const uint32_t* pixels, uint32_t width, unsigned char* out) {
  *out++ = 0;
  for (uint32_t x = 0; x < width; ++x) {
    const uint32_t rgb = __builtin_bswap32(pixels[x]) >> 8;
    std::memcpy(out + 3 * size_t(x), &rgb, 4);
  }
}

}  // namespace

PngImageData::~PngImageData() {
  if (zsReady_) deflateEnd(&zs_);
}

bool PngImageData::set(const Picture& picture, bool& changed) {
  const uint32_t width = picture.width, height = picture.height;
  const bool sameShape = !bands_.empty() && width == last_.width && height == last_.height;
  if (!sameShape) {
    bands_.assign((height + kBandRows - 1) / kBandRows, Band{});
    last_.width = width;
    last_.height = height;
    last_.pixels.resize(size_t(width) * height);
  }
  changed = !sameShape;
  for (size_t b = 0; b < bands_.size(); ++b) {
    const uint32_t y0 = uint32_t(b) * kBandRows;
    const uint32_t rows = std::min(kBandRows, height - y0);
    const size_t first = size_t(y0) * width, count = size_t(rows) * width;
    const uint32_t* pixels = picture.pixels.data() + first;
    uint32_t* kept = last_.pixels.data() + first;
    if (sameShape && std::equal(pixels, pixels + count, kept)) continue;
    std::copy(pixels, pixels + count, kept);
    changed = true;
    if (!compress(bands_[b], pixels, rows, width, b + 1 == bands_.size())) {
      bands_.clear();  // nothing kept: the next picture is compressed afresh
      stream_.clear();
      return false;
    }
  }
  if (changed) assemble();
  return true;
}

bool PngImageData::compress(Band& band, const uint32_t* pixels, uint32_t rows, uint32_t width,
                            bool last) {
  const size_t rowSize = size_t(width) * 3 + 1;
  band.rawSize = rowSize * rows;
  rows_.resize(band.rawSize + 1);
  for (uint32_t y = 0; y < rows; ++y)
    filteredRow(pixels + size_t(y) * width, width, rows_.data() + rowSize * y);
  band.adler = adler32(adler32(0, nullptr, 0), rows_.data(), uInt(band.rawSize));

  if (!zsReady_) {
    if (deflateInit2(&zs_, kLevel, Z_DEFLATED, kRawDeflate, kMemLevel, Z_RLE) != Z_OK) return false;
    zsReady_ = true;
  } else if (deflateReset(&zs_) != Z_OK) {
    return false;
  }
  deflated_.resize(
      std::max(deflated_.size(), deflateBound(&zs_, uLong(band.rawSize)) + kFlushRoom));
  zs_.next_in = rows_.data();
  zs_.avail_in = uInt(band.rawSize);
  zs_.next_out = deflated_.data();
  zs_.avail_out = uInt(deflated_.size());
  // Room for all of it: one call compresses the whole band.
  const int result = deflate(&zs_, last ? Z_FINISH : Z_SYNC_FLUSH);
  if (result != (last ? Z_STREAM_END : Z_OK) || zs_.avail_in != 0 || zs_.avail_out == 0)
    return false;
  band.deflated.assign(deflated_.data(), deflated_.data() + (deflated_.size() - zs_.avail_out));
  return true;
}

void PngImageData::assemble() {
  stream_.assign(std::begin(kZlibHeader), std::end(kZlibHeader));
  uLong adler = adler32(0, nullptr, 0);
  for (const Band& band : bands_) {
    stream_.insert(stream_.end(), band.deflated.begin(), band.deflated.end());
    adler = adler32_combine(adler, band.adler, z_off_t(band.rawSize));
  }
  for (int shift = 24; shift >= 0; shift -= 8)  // big-endian
    stream_.push_back(static_cast<unsigned char>(adler >> shift));
}

}  // namespace render
