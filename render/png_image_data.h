// A picture's PNG image data: the zlib stream of its rows, each row a filter
// byte 0 (none) and the pixels' R, G, B bytes. The rows are compressed in
// bands of kBandRows, each band a deflate stream of its own ended on a byte
// boundary (a sync flush; the last band ends the stream), so that the bands
// laid end to end make one deflate stream, and the stream's Adler-32 is the
// bands' combined. A series of pictures of one size then compresses again only
// the bands whose pixels changed: from one picture of a screen to the next, a
// few lines of text change. Each band depends on its own rows alone, so the
// stream of a picture is the same byte for byte whatever came before it.
// zlib: run-length matches only (Z_RLE): screen pictures are long runs of one
// colour, which that packs as well as the full search at a fraction of its
// time.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "render/picture.h"

namespace render {

class PngImageData {
 public:
  static constexpr uint32_t kBandRows = 8;

  PngImageData() = default;
  ~PngImageData();
  // zlib's state points back at its stream: neither copied nor moved.
  PngImageData(const PngImageData&) = delete;
  PngImageData& operator=(const PngImageData&) = delete;

  // Makes the stream that of picture (width and height not 0); changed tells
  // whether it differs from the picture the stream held. False when zlib
  // fails (out of memory); the next picture is then compressed afresh.
  bool set(const Picture& picture, bool& changed);
  const std::vector<unsigned char>& stream() const { return stream_; }

 private:
  struct Band {
    std::vector<unsigned char> deflated;
    uLong adler = 0;     // of the band's rows
    size_t rawSize = 0;  // [bytes] of the band's rows
  };

  bool compress(Band& band, const uint32_t* pixels, uint32_t rows, uint32_t width, bool last);
  void assemble();

  Picture last_;  // the picture the stream holds
  std::vector<Band> bands_;
  std::vector<unsigned char> rows_;      // one band's rows as the stream holds them
  std::vector<unsigned char> deflated_;  // room for one band compressed
  std::vector<unsigned char> stream_;
  z_stream zs_{};
  bool zsReady_ = false;
};

}  // namespace render
