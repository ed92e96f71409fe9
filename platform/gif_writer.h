// An animated GIF written frame by frame: the file's parts that a GIF library
// writes, and nothing of which frame to write when (sim/outputs/gif_output.h
// decides that, once for both platforms). On Linux giflib writes it
// (platform/posix/picture/gif_writer.cpp); on Windows the imaging component's
// GIF encoder (platform/win32/picture/gif_writer.cpp).
//
// The file: GIF89a, a logical screen of the animation's size without a
// global colour table, the NETSCAPE2.0 application extension with loop count
// 0 (players loop forever), then per frame a graphics control extension
// (disposal "do not dispose", no transparent colour, the delay) and an image
// of a rectangle of the screen with its own colour table.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace render {

// A rectangle of the screen [pixels], right and bottom excluded.
struct GifRect {
  uint32_t left = 0, top = 0, width = 0, height = 0;
};

// A frame's image made ready to be written, as many times as it is shown in a
// row. rect and colours (0x00RRGGBB, 2 to 256 entries, a power of two) are
// the image's; coded is the platform's form of its palette indexes (giflib:
// the image as the file holds it, descriptor, colour table and LZW-coded
// indexes, so that a repeat is not coded again; the imaging component codes
// the indexes themselves each time it writes them).
struct GifImage {
  GifRect rect;
  std::vector<uint32_t> colours;
  std::vector<unsigned char> coded;
};

// Where the file's bytes go; false when they could not be written.
using GifSink = std::function<bool(const unsigned char* data, size_t length)>;

class GifWriter {
 public:
  virtual ~GifWriter() = default;

  // Sets image to rect's indexes (row by row, rect.width * rect.height of
  // them) in colours. Returns false and sets error (what failed) when it
  // cannot.
  virtual bool prepare(const GifRect& rect, const std::vector<uint32_t>& colours,
                       const std::vector<uint8_t>& indexes, GifImage& image,
                       std::string& error) = 0;
  // Writes image as the next frame, shown for delay [1/100 s] (1 to 65535).
  virtual bool write(const GifImage& image, int delay, std::string& error) = 0;
  // Ends the file: all its bytes have gone to the sink when it returns true.
  virtual bool close(std::string& error) = 0;
};

// Starts the file of a width x height animation [pixels], whose bytes go to
// sink. Returns null and sets error when it cannot (on Windows, an imaging
// component that cannot write an animation's looping and delays).
std::unique_ptr<GifWriter> openGifWriter(uint32_t width, uint32_t height, GifSink sink,
                                         std::string& error);

}  // namespace render
