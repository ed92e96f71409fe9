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

// The colours a drawing uses (text, pens, brushes) and the black background,
// as 0x00RRGGBB.
std::vector<uint32_t> drawingColours(const std::vector<GdiOp>& ops);

struct Palette {
  // 0x00RRGGBB, padded with black to a power of two from 2 to 256 entries, as
  // a GIF colour table must be.
  std::vector<uint32_t> colours;
  std::vector<uint8_t> indexOf;  // each given colour's entry, in the order given
};

// The palette of a picture whose distinct colours (0x00RRGGBB, any order) have
// counts [pixels]. keep: colours that must stay exact (at most 256 of them are
// honoured). It depends only on the colours and their counts, not on their
// order.
Palette choosePalette(const std::vector<uint32_t>& colours, const std::vector<size_t>& counts,
                      const std::vector<uint32_t>& keep);

// Numbers every 24-bit colour as it is first seen, 0, 1, 2, ..., through a
// flat table of all of them, which the system maps a page at a time as
// colours are first seen: a pixel's number is found without a search or a
// hash. Numbers are never reused, so that they can index per-colour counts.
class ColourIds {
 public:
  ColourIds();  // throws std::bad_alloc
  ~ColourIds();
  ColourIds(const ColourIds&) = delete;
  ColourIds& operator=(const ColourIds&) = delete;

  uint32_t id(uint32_t rgb) {
    rgb &= 0xffffff;
    // The last colours looked up, by a hash of the colour (Fibonacci
    // hashing): a picture's runs keep coming back to a few colours, found
    // here without touching the large table.
    Recent& recent = recent_[(rgb * 2654435769u) >> (32 - kRecentBits)];
    if (recent.colour == rgb) return recent.id;
    uint32_t& at = place_[rgb];
    if (at == 0) {
      colours_.push_back(rgb);
      at = uint32_t(colours_.size());
    }
    recent = {rgb, at - 1};
    return at - 1;
  }
  uint32_t colour(uint32_t id) const { return colours_[id]; }
  size_t size() const { return colours_.size(); }

 private:
  struct Free {
    void operator()(uint32_t* p) const;
  };
  std::unique_ptr<uint32_t[], Free> place_;  // colour -> 1 + its id, 0 while unseen
  std::vector<uint32_t> colours_;            // by id
  static constexpr int kRecentBits = 12;
  struct Recent {
    uint32_t colour = 0xffffffff;  // none: no 24-bit colour
    uint32_t id = 0;
  } recent_[1 << kRecentBits];
};

}  // namespace sim
