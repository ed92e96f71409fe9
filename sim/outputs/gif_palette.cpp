#include "sim/outputs/gif_palette.h"

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
  // A picture is mostly runs of one colour: each run is looked up once, and
  // kept as its colour's place and its end for the indexes.
  const uint32_t* pixels = picture.pixels.data();
  const size_t total = picture.pixels.size();
  runs_.clear();
  for (size_t from = 0, to = 0; from < total; from = to) {
    for (to = from + 1; to < total && pixels[to] == pixels[from];) ++to;
    uint32_t& at = place[pixels[from] & 0xffffff];
    if (at == 0) {
      colours_.push_back(pixels[from] & 0xffffff);
      counts_.push_back(0);
      at = uint32_t(colours_.size());
    }
    counts_[at - 1] += to - from;
    runs_.push_back({at - 1, to});
  }

  IndexedPicture out;
  // Each colour's palette index, or -1 while it has none.
  std::vector<int> indexOf(colours_.size(), -1);
  auto take = [&](uint32_t colour) {
    if (out.palette.size() >= kMaxColours ||
        std::find(out.palette.begin(), out.palette.end(), colour) != out.palette.end())
      return;
    if (place[colour & 0xffffff] != 0)
      indexOf[place[colour & 0xffffff] - 1] = int(out.palette.size());
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
    // weighing its squared distance to the nearest palette colour (its gap)
    // by how many pixels have it, the first in value order among equals:
    // frequent colours come in exactly, and the shades of every text colour
    // are spread over the ramp rather than crowded at one end. A gap only
    // shrinks as the palette grows, so a colour's weight is worked out again
    // only when it comes to the top of a heap of weights known so far (lazy
    // greedy selection); each colour remembers its nearest palette colour.
    const size_t n = byValue.size();
    std::vector<int> gap(n, 3 * 255 * 255 + 1);
    std::vector<uint8_t> near(n, 0);  // the first palette colour at that gap
    std::vector<size_t> seen(n, 0);   // palette colours gap and near account for
    auto update = [&](size_t i) {
      const uint32_t c = colours_[byValue[i]];
      for (size_t k = seen[i]; k < out.palette.size(); ++k) {
        const int d = distanceSquared(c, out.palette[k]);
        if (d < gap[i]) {
          gap[i] = d;
          near[i] = uint8_t(k);
        }
      }
      seen[i] = out.palette.size();
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
      const double weight = double(gap[i]) * double(counts_[byValue[i]]);
      if (weight > 0.0) heap.push_back({weight, i});
    }
    std::make_heap(heap.begin(), heap.end(), below);
    while (out.palette.size() < kMaxColours && !heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), below);
      const size_t i = heap.back().i;
      heap.pop_back();
      if (seen[i] == out.palette.size()) {  // its weight is current: the worst
        take(colours_[byValue[i]]);
        continue;
      }
      update(i);
      const double weight = double(gap[i]) * double(counts_[byValue[i]]);
      if (weight == 0.0) continue;
      heap.push_back({weight, i});
      std::push_heap(heap.begin(), heap.end(), below);
    }
    // Every other colour shows as its nearest palette colour, the first in
    // palette order among equals. From what its gap accounts for, the rest
    // of the palette is searched in order of green outwards from the
    // colour's own, up to where the green difference alone is too large.
    std::vector<uint8_t> byGreen(out.palette.size());
    for (size_t k = 0; k < byGreen.size(); ++k) byGreen[k] = uint8_t(k);
    auto green = [&](uint32_t c) { return int((c >> 8) & 0xff); };
    std::sort(byGreen.begin(), byGreen.end(),
              [&](uint8_t a, uint8_t b) { return green(out.palette[a]) < green(out.palette[b]); });
    for (size_t i = 0; i < n; ++i) {
      if (indexOf[byValue[i]] >= 0) continue;  // in the palette
      const uint32_t c = colours_[byValue[i]];
      int best = gap[i];
      uint8_t nearest = near[i];
      auto consider = [&](uint8_t k) {
        const int d = distanceSquared(c, out.palette[k]);
        if (d < best || (d == best && k < nearest)) {
          best = d;
          nearest = k;
        }
      };
      const auto from = std::partition_point(byGreen.begin(), byGreen.end(), [&](uint8_t k) {
        return green(out.palette[k]) < green(c);
      });
      for (auto k = from; k != byGreen.end(); ++k) {
        const int dg = green(out.palette[*k]) - green(c);
        if (dg * dg > best) break;
        consider(*k);
      }
      for (auto k = from; k != byGreen.begin();) {
        --k;
        const int dg = green(out.palette[*k]) - green(c);
        if (dg * dg > best) break;
        consider(*k);
      }
      indexOf[byValue[i]] = nearest;
    }
  } else {
    for (uint32_t i : byValue) take(colours_[i]);
  }

  out.indexes.resize(total);
  size_t from = 0;
  for (const Run& r : runs_) {
    std::fill(out.indexes.begin() + ptrdiff_t(from), out.indexes.begin() + ptrdiff_t(r.end),
              uint8_t(indexOf[r.colour]));
    from = r.end;
  }

  size_t size = 2;
  while (size < out.palette.size()) size *= 2;
  out.palette.resize(size, 0x000000);
  return out;
}

}  // namespace sim
