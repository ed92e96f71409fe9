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
#include <vector>

#include "platform/recording_dc.h"
#include "render/picture.h"

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

// keep: colours that must stay exact (at most 256 of them are honoured).
IndexedPicture indexPicture(const render::Picture& picture, const std::vector<uint32_t>& keep);

}  // namespace sim
