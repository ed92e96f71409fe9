#include "sim/gif_palette.h"

#include <algorithm>
#include <unordered_map>

namespace sim {
namespace {

constexpr size_t kMaxColours = 256;

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

IndexedPicture indexPicture(const render::Picture& picture, const std::vector<uint32_t>& keep) {
  std::unordered_map<uint32_t, size_t> counts;
  for (uint32_t p : picture.pixels) ++counts[p];

  IndexedPicture out;
  std::unordered_map<uint32_t, uint8_t> index;
  auto take = [&](uint32_t colour) {
    if (out.palette.size() >= kMaxColours || index.count(colour)) return;
    index.emplace(colour, uint8_t(out.palette.size()));
    out.palette.push_back(colour);
  };
  if (counts.size() > kMaxColours) {
    for (uint32_t c : keep) take(c);
    // Then, one at a time, the colour that the palette so far shows worst,
    // weighing its distance to the nearest palette colour by how many pixels
    // have it: frequent colours come in exactly, and the shades of every
    // text colour are spread over the ramp rather than crowded at one end.
    std::vector<std::pair<uint32_t, size_t>> rest(counts.begin(), counts.end());
    std::sort(rest.begin(), rest.end());  // the same frame gives the same palette
    std::vector<int> gap(rest.size());    // squared distance to the palette
    for (size_t i = 0; i < rest.size(); ++i)
      gap[i] =
          out.palette.empty()
              ? 3 * 255 * 255 + 1
              : distanceSquared(rest[i].first, out.palette[nearest(out.palette, rest[i].first)]);
    while (out.palette.size() < kMaxColours) {
      size_t worst = 0;
      double worstWeight = 0.0;
      for (size_t i = 0; i < rest.size(); ++i) {
        const double weight = double(gap[i]) * double(rest[i].second);
        if (weight > worstWeight) {
          worstWeight = weight;
          worst = i;
        }
      }
      if (worstWeight == 0.0) break;  // every colour is in the palette
      const uint32_t added = rest[worst].first;
      take(added);
      for (size_t i = 0; i < rest.size(); ++i)
        gap[i] = std::min(gap[i], distanceSquared(rest[i].first, added));
    }
  } else {
    std::vector<uint32_t> colours;
    for (const auto& [colour, n] : counts) colours.push_back(colour);
    std::sort(colours.begin(), colours.end());
    for (uint32_t c : colours) take(c);
  }

  out.indexes.reserve(picture.pixels.size());
  for (uint32_t p : picture.pixels) {
    auto it = index.find(p);
    if (it == index.end()) it = index.emplace(p, nearest(out.palette, p)).first;
    out.indexes.push_back(it->second);
  }
  size_t size = 2;
  while (size < out.palette.size()) size *= 2;
  out.palette.resize(size, 0x000000);
  return out;
}

}  // namespace sim
