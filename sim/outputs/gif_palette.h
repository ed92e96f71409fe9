// A screen picture in at most 256 colours for an animated GIF frame.
//
// A frame with at most 256 distinct colours keeps every pixel exact. A frame
// with more (text edges blended with the background in many shades) keeps the
// colours the page draws with exact, fills the rest of the palette with the
// colours it would show worst (distance to the palette weighted by pixel
// count, so frequent colours are exact and shades spread evenly), and shows
// every remaining colour as its nearest palette colour.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi_ops.h"
#include "platform/picture.h"

namespace sim {

struct IndexedPicture {
  // 0x00RRGGBB, padded with black to a power of two from 2 to 256 entries, as
  // a GIF colour table must be.
  std::vector<uint32_t> palette;
  std::vector<uint8_t> indexes;  // one a pixel, row by row
};

// The colours a drawing uses (text, pens, brushes) and the black background,
// as 0x00RRGGBB.
std::vector<uint32_t> drawingColours(const std::vector<GdiOp>& ops);

// Indexes pictures one after another. A pixel's colour is looked up in a flat
// table of every 24-bit colour, which the system maps a page at a time as
// colours are first seen: a picture's colours are counted and then indexed
// without a search or a hash, and only their entries are cleared for the next.
class ColourIndex {
 public:
  ColourIndex();
  ~ColourIndex();
  ColourIndex(const ColourIndex&) = delete;
  ColourIndex& operator=(const ColourIndex&) = delete;

  // keep: colours that must stay exact (at most 256 of them are honoured).
  // Throws std::bad_alloc.
  IndexedPicture index(const render::Picture& picture, const std::vector<uint32_t>& keep);

 private:
  struct Free {
    void operator()(uint32_t* p) const;
  };
  // colour -> 1 + its place in colours_, 0 for a colour not in this picture.
  std::unique_ptr<uint32_t[], Free> place_;
  std::vector<uint32_t> colours_;  // this picture's, in the order first seen
  std::vector<size_t> counts_;     // [pixels] of each
  struct Run {
    uint32_t colour;  // place in colours_
    size_t end;       // [pixels] from the picture's first
  };
  std::vector<Run> runs_;  // this picture's runs of one colour, in order
};

}  // namespace sim
