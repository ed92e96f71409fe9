#include "sim/gif_palette.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace sim {
namespace {

constexpr size_t kMaxColours = 256;
constexpr size_t kAllColours = size_t(1) << 24;  // 0x00RRGGBB

int distanceSquared(uint32_t a, uint32_t b) {
  const int dr = int((a >> 16) & 0xff) - int((b >> 16) & 0xff);
  const int dg = int((a >> 8) & 0xff) - int((b >> 8) & 0xff);
  const int db = int(a & 0xff) - int(b & 0xff);
  return dr * dr + dg * dg + db * db;
}

uint8_t nearest(const std::vector<uint32_t>& palette, uint32_t colour) {
  size_t best = 0;
  for (size_t i = 1; i < palette.size(); ++i)
    if (distanceSquared(palette[i], colour) < distanceSquared(palette[best], colour)) best = i;
  return uint8_t(best);
}

}  // namespace

std::vector<uint32_t> drawingColours(const std::vector<GdiOp>& ops) {
  std::vector<uint32_t> colours = {0x000000};
  auto add = [&](COLORREF c) {
    const uint32_t rgb = render::pixelOf(c);
    if (std::find(colours.begin(), colours.end(), rgb) == colours.end()) colours.push_back(rgb);
  };
  for (const GdiOp& op : ops) {
    switch (op.kind) {
      case GdiOpKind::Text:
      case GdiOpKind::LineTo:
      case GdiOpKind::AngleArc:
        add(op.colour);
        break;
      case GdiOpKind::StrokeAndFill:
        add(op.colour);
        add(op.penColour);
        break;
      default:
        break;
    }
  }
  return colours;
}

void ColourIndex::Free::operator()(uint32_t* p) const { std::free(p); }

// calloc: a large block comes zeroed from the system, its pages untouched
// until a colour's entry is first written.
ColourIndex::ColourIndex()
    : place_(static_cast<uint32_t*>(std::calloc(kAllColours, sizeof(uint32_t)))) {
  if (!place_) throw std::bad_alloc();
}

ColourIndex::~ColourIndex() = default;

IndexedPicture ColourIndex::index(const render::Picture& picture,
                                  const std::vector<uint32_t>& keep) {
  uint32_t* place = place_.get();
  colours_.clear();
  counts_.clear();
  // Only this picture's entries are cleared for the next, also when this one
  // fails.
  struct Cleared {
    ColourIndex& of;
    ~Cleared() {
      for (uint32_t c : of.colours_) of.place_[c] = 0;
    }
  } cleared{*this};
  for (uint32_t p : picture.pixels) {
    uint32_t& at = place[p & 0xffffff];
    if (at == 0) {
      colours_.push_back(p & 0xffffff);
      counts_.push_back(0);
      at = uint32_t(colours_.size());
    }
    ++counts_[at - 1];
  }

  IndexedPicture out;
  // Each colour's palette index, or -1 while it has none.
  std::vector<int> indexOf(colours_.size(), -1);
  auto take = [&](uint32_t colour) {
    if (out.palette.size() >= kMaxColours ||
        std::find(out.palette.begin(), out.palette.end(), colour) != out.palette.end())
      return;
    if (place[colour & 0xffffff] != 0) indexOf[place[colour & 0xffffff] - 1] = int(out.palette.size());
    out.palette.push_back(colour);
  };
  // Both ways below take colours in the order of their values, so that the
  // same frame gives the same palette.
  std::vector<uint32_t> byValue(colours_.size());
  for (size_t i = 0; i < byValue.size(); ++i) byValue[i] = uint32_t(i);
  std::sort(byValue.begin(), byValue.end(),
            [&](uint32_t a, uint32_t b) { return colours_[a] < colours_[b]; });
  if (colours_.size() > kMaxColours) {
    for (uint32_t c : keep) take(c);
    // Then, one at a time, the colour that the palette so far shows worst,
    // weighing its distance to the nearest palette colour by how many pixels
    // have it: frequent colours come in exactly, and the shades of every
    // text colour are spread over the ramp rather than crowded at one end.
    std::vector<int> gap(byValue.size());  // squared distance to the palette
    for (size_t i = 0; i < byValue.size(); ++i) {
      const uint32_t c = colours_[byValue[i]];
      gap[i] = out.palette.empty() ? 3 * 255 * 255 + 1
                                   : distanceSquared(c, out.palette[nearest(out.palette, c)]);
    }
    while (out.palette.size() < kMaxColours) {
      size_t worst = 0;
      double worstWeight = 0.0;
      for (size_t i = 0; i < byValue.size(); ++i) {
        const double weight = double(gap[i]) * double(counts_[byValue[i]]);
        if (weight > worstWeight) {
          worstWeight = weight;
          worst = i;
        }
      }
      if (worstWeight == 0.0) break;  // every colour is in the palette
      const uint32_t added = colours_[byValue[worst]];
      take(added);
      for (size_t i = 0; i < byValue.size(); ++i)
        gap[i] = std::min(gap[i], distanceSquared(colours_[byValue[i]], added));
    }
  } else {
    for (uint32_t i : byValue) take(colours_[i]);
  }
  for (size_t i = 0; i < colours_.size(); ++i)
    if (indexOf[i] < 0) indexOf[i] = nearest(out.palette, colours_[i]);

  out.indexes.resize(picture.pixels.size());
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    out.indexes[i] = uint8_t(indexOf[place[picture.pixels[i] & 0xffffff] - 1]);

  size_t size = 2;
  while (size < out.palette.size()) size *= 2;
  out.palette.resize(size, 0x000000);
  return out;
}

}  // namespace sim
