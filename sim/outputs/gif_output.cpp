#include "sim/outputs/gif_output.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include "platform/gif_writer.h"
#include "platform/picture.h"
#include "sim/outputs/output_file.h"
#include "sim/run/time_slack.h"

namespace sim {
namespace {

constexpr double kTicksPerSecond = 100;  // GIF delays are in hundredths of a second
constexpr int kMaxDelay = 65535;         // [ticks] the field's range

// The animation tick at which a frame of simulation time t starts; capped so
// that an extreme speed cannot overflow it (the delays then saturate).
long tickOf(double t, double speed) {
  constexpr double kMaxTick = 1e15;
  return std::lround(std::min(t * kTicksPerSecond / speed, kMaxTick));
}

constexpr uint32_t kNotShown = 0xffffffff;  // no 0x00RRGGBB colour

// A rectangle of pixels, right and bottom excluded.
struct Rect {
  size_t left, top, right, bottom;
  bool empty() const { return right <= left || bottom <= top; }
  size_t width() const { return right - left; }
  size_t height() const { return bottom - top; }
  // Grows to take in pixels from..to (excluded) of row y.
  void add(size_t from, size_t y, size_t to) {
    if (empty()) {
      *this = Rect{from, y, to, y + 1};
      return;
    }
    left = std::min(left, from);
    right = std::max(right, to);
    top = std::min(top, y);
    bottom = std::max(bottom, y + 1);
  }
};

// Calls f(colour, length) for each run of one colour in pixels[0, n).
template <class F>
void forRuns(const uint32_t* pixels, size_t n, F f) {
  for (size_t from = 0, to = 0; from < n; from = to) {
    for (to = from + 1; to < n && pixels[to] == pixels[from];) ++to;
    f(pixels[from], to - from);
  }
}

}  // namespace

// One screen's file, its last encoded frame and whether that frame waits for
// its delay.
struct GifOutput::Animation {
  OutputFile file;
  std::unique_ptr<render::GifWriter> gif;  // writes into file; null once closed
  uint32_t width, height;                  // [pixels]
  // The last frame's drawing and its image as the writer holds it, ready to
  // be written again.
  std::vector<GdiOp> ops;
  render::GifImage image;
  // The last frame drawn, which the next is encoded over: its pixels
  // (0x00RRGGBB, empty before the first), the count [pixels] of each colour
  // (by ColourIds id) and the colour each is shown in, kNotShown if absent.
  std::vector<uint32_t> last;
  std::vector<size_t> counts;
  std::vector<uint32_t> shown;
  std::vector<uint8_t> indexes;  // an image's palette indexes, row by row
  bool pending = false;          // the last frame waits for its delay
  double pendingT = 0.0;         // [s]

  Animation(const std::string& path, uint32_t w, uint32_t h) : file(path), width(w), height(h) {
    std::string error;
    gif = render::openGifWriter(
        w, h, [this](const unsigned char* data, size_t n) { return file.write(data, n); }, error);
    if (!gif) fail(error);
  }

  [[noreturn]] void fail(const std::string& error) {
    file.check();  // a failed write names the file and the reason
    throw OutputError(file.path() + ": cannot write: " + error);
  }

  // Sets out to the image of picture p (colours that stay exact: keep),
  // encoded over the frame the file shows before it: the last one drawn,
  // unless `whole`. The image covers only the rectangle in which the shown
  // frame changes, from the first pixel that differs to the last, in rows and
  // in columns; with the disposal "do not dispose" the rest of the earlier
  // frame shows through, so that every frame decodes as if it were whole. The
  // palette is the whole picture's: its colours are counted again only inside
  // the rectangle in which the picture changed. Where the palette shows a
  // colour differently than before, its pixels outside that rectangle change
  // too and the rectangle grows to take them in.
  // p's pixels are taken (swapped with the last frame's).
  void encode(render::Picture& p, const std::vector<uint32_t>& keep, bool whole, ColourIds& ids,
              render::GifImage& out) {
    const size_t w = width, h = height;
    const uint32_t* now = p.pixels.data();
    const bool first = last.size() != p.pixels.size();
    Rect r = first ? Rect{0, 0, w, h} : changed(last.data(), now);
    std::vector<size_t> newCounts = counts;
    auto count = [&](const uint32_t* pixels, long sign) {
      for (size_t y = r.top; y < r.bottom; ++y)
        forRuns(pixels + y * w + r.left, r.width(), [&](uint32_t c, size_t n) {
          const uint32_t id = ids.id(c);
          if (id >= newCounts.size()) newCounts.resize(ids.size(), 0);
          newCounts[id] += size_t(sign * long(n));
        });
    };
    if (!first) count(last.data(), -1);
    std::vector<size_t> outside = newCounts;  // [pixels] of each colour outside r
    count(now, +1);
    outside.resize(newCounts.size(), 0);

    std::vector<uint32_t> present, colours;  // ids, and their colours
    std::vector<size_t> presentCounts;       // [pixels]
    for (uint32_t id = 0; id < newCounts.size(); ++id)
      if (newCounts[id] > 0) {
        present.push_back(id);
        colours.push_back(ids.colour(id));
        presentCounts.push_back(newCounts[id]);
      }
    const Palette palette = choosePalette(colours, presentCounts, keep);
    std::vector<uint8_t> entry(ids.size(), 0);  // by id
    std::vector<uint32_t> newShown(ids.size(), kNotShown);
    bool recoloured = false;  // outside r, a colour is shown differently
    for (size_t k = 0; k < present.size(); ++k) {
      const uint32_t id = present[k];
      entry[id] = palette.indexOf[k];
      newShown[id] = palette.colours[entry[id]];
      recoloured = recoloured || (outside[id] > 0 && shown[id] != newShown[id]);
    }
    if (whole) r = Rect{0, 0, w, h};
    if (recoloured && !whole) {
      for (size_t y = 0; y < h; ++y) {
        size_t x = 0;
        forRuns(now + y * w, w, [&](uint32_t c, size_t n) {
          const uint32_t id = ids.id(c);
          if (id < shown.size() && shown[id] != newShown[id]) r.add(x, y, x + n);
          x += n;
        });
      }
    }
    if (r.empty()) r = Rect{0, 0, 1, 1};  // the same frame again: one pixel of it

    indexes.resize(r.width() * r.height());
    uint8_t* to = indexes.data();
    for (size_t y = r.top; y < r.bottom; ++y)
      forRuns(now + y * w + r.left, r.width(),
              [&](uint32_t c, size_t n) { to = std::fill_n(to, n, entry[ids.id(c)]); });
    std::string error;
    const render::GifRect rect{uint32_t(r.left), uint32_t(r.top), uint32_t(r.width()),
                               uint32_t(r.height())};
    if (!gif->prepare(rect, palette.colours, indexes, out, error)) fail(error);
    // The frame is encoded: it becomes the one the next is encoded over.
    last.swap(p.pixels);
    counts.swap(newCounts);
    shown.swap(newShown);
  }

  // The rectangle in which the pictures a and b (this animation's size) differ.
  Rect changed(const uint32_t* a, const uint32_t* b) const {
    const size_t w = width;
    Rect r{w, height, 0, 0};
    for (size_t y = 0; y < height; ++y) {
      const uint32_t *ra = a + y * w, *rb = b + y * w;
      if (std::equal(ra, ra + w, rb)) continue;
      size_t left = 0, right = w;
      while (ra[left] == rb[left]) ++left;
      while (ra[right - 1] == rb[right - 1]) --right;
      r.add(left, y, right);
    }
    return r;
  }

  // Writes the last frame, shown for delay ticks.
  void write(int delay) {
    std::string error;
    if (!gif->write(image, std::clamp(delay, 1, kMaxDelay), error)) fail(error);
  }

  void close() {
    std::string error;
    const bool closed = gif->close(error);
    gif.reset();
    if (!closed) fail(error);
  }
};

GifOutput::GifOutput(const std::string& dir, double speed, double every, double interval,
                     halcyra::World& world)
    : speed_(speed),
      every_(every),
      interval_(every > 0.0 ? every : interval),
      due_(every > 0.0 ? every : interval) {
  std::error_code ec;
  const bool created = std::filesystem::create_directories(dir, ec);
  if (ec) throw OutputError(dir + ": cannot create the folder: " + ec.message());
  if (!std::filesystem::is_directory(dir, ec))
    throw OutputError(dir + ": cannot write: not a folder");
  try {
    for (size_t i = 0; i < world.screenCount(); ++i) {
      const halcyra::Screen& s = world.screen(i);
      screens_.push_back(std::make_unique<Animation>(dir + "/screen" + std::to_string(i) + ".gif",
                                                     s.width, s.height));
    }
  } catch (const OutputError&) {
    // A refused output leaves nothing behind: the files opened so far are
    // discarded, and the folder made for them removed (when still empty).
    screens_.clear();
    if (created) std::filesystem::remove(dir, ec);
    throw;
  }
}

GifOutput::~GifOutput() = default;

std::unique_ptr<Output> openGifOutput(const std::string& dir, double speed, double every,
                                      double interval, halcyra::World& world) {
  return std::make_unique<GifOutput>(dir, speed, every, interval, world);
}

void GifOutput::add(double t, size_t screen, const halcyra::Screen& s) {
  if (screen >= screens_.size()) return;
  Animation& a = *screens_[screen];
  bool replaces = false;  // the new frame takes the waiting one's place
  if (a.pending) {
    const long delay = tickOf(t, speed_) - tickOf(a.pendingT, speed_);
    replaces = delay <= 0;  // the waiting one would be shown for no time at all
    if (!replaces) a.write(int(std::min<long>(delay, kMaxDelay)));
  }
  if (a.image.colours.empty() || a.ops != s.lastDrawing) {
    // Encoded aside, so that a frame that fails leaves the last one whole.
    // A frame that takes the waiting one's place is encoded whole, as the
    // file will not show the one it replaces.
    render::renderDrawing(s.lastDrawing, a.width, a.height, picture_);
    a.encode(picture_, drawingColours(s.lastDrawing), replaces, ids_, encoded_);
    std::swap(a.image, encoded_);
    a.ops = s.lastDrawing;
  }
  a.pending = true;
  if (!replaces) a.pendingT = t;
}

void GifOutput::redrawn(const Redraw& r) {
  if (every_ <= 0.0) add(r.t, r.screen, r.shown);
}

void GifOutput::sampled(double t, halcyra::World& world) {
  if (every_ <= 0.0 || !due_.due(t)) return;
  lastSampled_ = t;
  for (size_t i = 0; i < world.screenCount(); ++i) add(t, i, world.screen(i));
}

void GifOutput::finished(double t, halcyra::World& world) {
  // With an interval, the end is a frame of its own, as for the pictures.
  if (every_ > 0.0 && lastSampled_ != t)
    for (size_t i = 0; i < world.screenCount(); ++i) add(t, i, world.screen(i));
  const int last = int(std::clamp(tickOf(interval_, speed_), 1L, long(kMaxDelay)));
  for (auto& a : screens_) {
    if (a->pending) a->write(last);
    a->pending = false;
    a->close();
    a->file.commit();
  }
}

}  // namespace sim
