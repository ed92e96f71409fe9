#include "sim/outputs/gif_palette.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace sim {
namespace {

constexpr size_t kMaxColours = 256;
constexpr size_t kAllColours = size_t(1) << 24;  // 0x00RRGGBB

constexpr int kLanes = 4;
typedef int Lanes __attribute__((vector_size(kLanes * sizeof(int))));
const Lanes kFar = Lanes{} + 1024;  // a channel value: (1024 - 255)^2 * 3 > any distance

int distanceSquared(uint32_t a, uint32_t b) {
  const int dr = int((a >> 16) & 0xff) - int((b >> 16) & 0xff);
  const int dg = int((a >> 8) & 0xff) - int((b >> 8) & 0xff);
  const int db = int(a & 0xff) - int(b & 0xff);
  return dr * dr + dg * dg + db * db;
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

void ColourIds::Free::operator()(uint32_t* p) const { std::free(p); }

// calloc: a large block comes zeroed from the system, its pages untouched
// until a colour's entry is first written.
ColourIds::ColourIds()
    : place_(static_cast<uint32_t*>(std::calloc(kAllColours, sizeof(uint32_t)))) {
  if (!place_) throw std::bad_alloc();
}

ColourIds::~ColourIds() = default;

Palette choosePalette(const std::vector<uint32_t>& colours, const std::vector<size_t>& counts,
                      const std::vector<uint32_t>& keep) {
  Palette out;
  std::vector<uint32_t>& palette = out.colours;
  // Both ways below take colours in the order of their values, so that the
  // same frame gives the same palette.
  std::vector<uint32_t> byValue(colours.size());
  for (size_t i = 0; i < byValue.size(); ++i) byValue[i] = uint32_t(i);
  std::sort(byValue.begin(), byValue.end(),
            [&](uint32_t a, uint32_t b) { return colours[a] < colours[b]; });
  // Each colour's palette index, or -1 while it has none.
  std::vector<int> indexOf(colours.size(), -1);
  // The palette's channels apart, four colours a vector (GCC's and Clang's
  // vector extension), padded with a colour farther than any from every
  // 24-bit colour, so that the distance loop below takes four at a time.
  std::vector<Lanes> reds(kMaxColours / kLanes, kFar), greens = reds, blues = reds;
  size_t taken = 0;  // palette colours in the channels
  auto take = [&](uint32_t colour) {
    if (palette.size() >= kMaxColours ||
        std::find(palette.begin(), palette.end(), colour) != palette.end())
      return;
    const auto at = std::lower_bound(byValue.begin(), byValue.end(), colour,
                                     [&](uint32_t i, uint32_t c) { return colours[i] < c; });
    if (at != byValue.end() && colours[*at] == colour) indexOf[*at] = int(palette.size());
    palette.push_back(colour);
    reds[taken / kLanes][taken % kLanes] = int(colour >> 16);
    greens[taken / kLanes][taken % kLanes] = int((colour >> 8) & 0xff);
    blues[taken / kLanes][taken % kLanes] = int(colour & 0xff);
    ++taken;
  };
  if (colours.size() > kMaxColours) {
    for (uint32_t c : keep) take(c);
    // Then, one at a time, the colour that the palette so far shows worst,
    // weighing its squared distance to the nearest palette colour (its gap)
    // by how many pixels have it, the first in value order among equals:
    // frequent colours come in exactly, and the shades of every text colour
    // are spread over the ramp rather than crowded at one end. A gap only
    // shrinks as the palette grows, so a colour's weight is worked out again
    // only when it comes to the top of a heap of weights known so far (lazy
    // greedy selection).
    const size_t n = byValue.size();
    std::vector<int> gap(n, 3 * 255 * 255 + 1);
    std::vector<size_t> seen(n, 0);  // palette colours gap accounts for
    auto update = [&](size_t i) {
      const uint32_t c = colours[byValue[i]];
      const Lanes r = Lanes{} + int(c >> 16), g = Lanes{} + int((c >> 8) & 0xff),
                  b = Lanes{} + int(c & 0xff);
      Lanes least = Lanes{} + gap[i];
      // From the vector that holds the first colour not yet accounted for:
      // the ones before it again change nothing.
      for (size_t k = seen[i] / kLanes; k * kLanes < taken; ++k) {
        const Lanes dr = reds[k] - r, dg = greens[k] - g, db = blues[k] - b;
        const Lanes d = dr * dr + dg * dg + db * db;
        least = d < least ? d : least;
      }
      for (int k = 0; k < kLanes; ++k) gap[i] = std::min(gap[i], int(least[k]));
      seen[i] = taken;
    };
    struct Weighed {
      double weight;  // gap times pixels, exact in a double
      size_t i;       // place in value order
    };
    // The heap's top: the largest weight, then the first place.
    const auto below = [](const Weighed& a, const Weighed& b) {
      return a.weight < b.weight || (a.weight == b.weight && a.i > b.i);
    };
    std::vector<Weighed> heap;
    for (size_t i = 0; i < n; ++i) {
      update(i);
      const double weight = double(gap[i]) * double(counts[byValue[i]]);
      if (weight > 0.0) heap.push_back({weight, i});
    }
    std::make_heap(heap.begin(), heap.end(), below);
    while (palette.size() < kMaxColours && !heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), below);
      const size_t i = heap.back().i;
      heap.pop_back();
      if (seen[i] == palette.size()) {  // its weight is current: the worst
        take(colours[byValue[i]]);
        continue;
      }
      update(i);
      const double weight = double(gap[i]) * double(counts[byValue[i]]);
      if (weight == 0.0) continue;
      heap.push_back({weight, i});
      std::push_heap(heap.begin(), heap.end(), below);
    }
    // Every other colour shows as its nearest palette colour, the first in
    // palette order among equals. The palette is searched in order of green
    // outwards from the colour's own, up to where the green difference alone
    // is more than the nearest distance found (at first its gap).
    std::vector<uint8_t> byGreen(palette.size());
    for (size_t k = 0; k < byGreen.size(); ++k) byGreen[k] = uint8_t(k);
    auto green = [&](uint32_t c) { return int((c >> 8) & 0xff); };
    std::sort(byGreen.begin(), byGreen.end(),
              [&](uint8_t a, uint8_t b) { return green(palette[a]) < green(palette[b]); });
    for (size_t i = 0; i < n; ++i) {
      if (indexOf[byValue[i]] >= 0) continue;  // in the palette
      const uint32_t c = colours[byValue[i]];
      // gap[i] is the distance to a palette colour among those it accounts
      // for; the search below meets every colour that is as near or nearer
      // and keeps the first of the nearest.
      int best = gap[i];
      size_t nearest = palette.size();
      auto consider = [&](uint8_t k) {
        const int d = distanceSquared(c, palette[k]);
        if (d < best || (d == best && k < nearest)) {
          best = d;
          nearest = k;
        }
      };
      const auto from = std::partition_point(
          byGreen.begin(), byGreen.end(), [&](uint8_t k) { return green(palette[k]) < green(c); });
      for (auto k = from; k != byGreen.end(); ++k) {
        const int dg = green(palette[*k]) - green(c);
        if (dg * dg > best) break;
        consider(*k);
      }
      for (auto k = from; k != byGreen.begin();) {
        --k;
        const int dg = green(palette[*k]) - green(c);
        if (dg * dg > best) break;
        consider(*k);
      }
      indexOf[byValue[i]] = int(nearest);
    }
  } else {
    for (uint32_t i : byValue) take(colours[i]);
  }

  out.indexOf.assign(indexOf.begin(), indexOf.end());
  size_t size = 2;
  while (size < palette.size()) size *= 2;
  palette.resize(size, 0x000000);
  return out;
}

}  // namespace sim
