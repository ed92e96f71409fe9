#include "sim/outputs/gif_output.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

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

}  // namespace

// One screen's file, its last encoded frame and whether that frame waits for
// its delay.
struct GifOutput::Animation {
  OutputFile file;
  GifFileType* gif = nullptr;
  uint32_t width, height;  // [pixels]
  // The last frame's drawing and its image as the file holds it: image
  // descriptor, local colour table and LZW-coded indexes.
  std::vector<GdiOp> ops;
  std::vector<unsigned char> image;
  bool pending = false;   // the last frame waits for its delay
  double pendingT = 0.0;  // [s]

  Animation(const std::string& path, uint32_t w, uint32_t h) : file(path), width(w), height(h) {
    int error = 0;
    gif = EGifOpen(this, &Animation::output, &error);
    if (!gif) fail(error);
    try {
      begin();
    } catch (...) {
      EGifCloseFile(gif, nullptr);  // the destructor does not run for a failed constructor
      throw;
    }
  }
  void begin() {
    EGifSetGifVersion(gif, true);  // GIF89a: delays and looping are extensions
    if (EGifPutScreenDesc(gif, int(width), int(height), 8, 0, nullptr) == GIF_ERROR)
      fail(gif->Error);
    // The application extension that makes players loop: NETSCAPE2.0, loop count 0 = forever.
    const GifByteType loop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 3, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR)
      fail(gif->Error);
  }
  ~Animation() {
    if (gif) EGifCloseFile(gif, nullptr);  // unfinished: the file is discarded with `file`
  }

  static int output(GifFileType* g, const GifByteType* data, int length) {
    auto* self = static_cast<Animation*>(g->UserData);
    return self->file.write(data, size_t(length)) ? length : 0;
  }

  [[noreturn]] void fail(int error) {
    file.check();  // a failed write names the file and the reason
    const char* what = GifErrorString(error);
    throw OutputError(file.path() + ": cannot write: " + (what ? what : "giflib error"));
  }

  // Sets out to frame's image. giflib encodes an image only into a file it
  // writes, so the image is written into a file of its own in memory, of
  // which the bytes between the screen descriptor and the trailer are kept.
  void encode(const IndexedPicture& frame, std::vector<unsigned char>& out) {
    out.clear();
    int error = 0;
    GifFileType* g = EGifOpen(&out, &appendTo, &error);
    if (!g) fail(error);
    ColorMapObject* colours = GifMakeMapObject(int(frame.palette.size()), nullptr);
    if (!colours) {
      EGifCloseFile(g, nullptr);
      fail(E_GIF_ERR_NOT_ENOUGH_MEM);
    }
    for (size_t i = 0; i < frame.palette.size(); ++i) {
      const uint32_t c = frame.palette[i];  // 0x00RRGGBB
      colours->Colors[i] = {GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
    }
    bool ok = EGifPutScreenDesc(g, int(width), int(height), 8, 0, nullptr) != GIF_ERROR;
    const size_t start = out.size();  // [bytes] where the image begins
    ok = ok && EGifPutImageDesc(g, 0, 0, int(width), int(height), false, colours) != GIF_ERROR;
    auto* row = const_cast<GifPixelType*>(frame.indexes.data());  // giflib only reads it
    for (uint32_t y = 0; ok && y < height; ++y, row += width)
      ok = EGifPutLine(g, row, int(width)) != GIF_ERROR;
    const size_t end = out.size();  // [bytes] where the trailer begins
    GifFreeMapObject(colours);
    if (!ok) error = g->Error;
    if (EGifCloseFile(g, ok ? &error : nullptr) == GIF_ERROR || !ok) fail(error);
    out.resize(end);
    out.erase(out.begin(), out.begin() + std::ptrdiff_t(start));
  }
  static int appendTo(GifFileType* g, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<unsigned char>*>(g->UserData);
    out->insert(out->end(), data, data + length);
    return length;
  }

  // Writes the last frame, shown for delay ticks.
  void write(int delay) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = std::clamp(delay, 1, kMaxDelay);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR)
      fail(gif->Error);
    if (!file.write(image.data(), image.size())) fail(E_GIF_ERR_WRITE_FAILED);
  }

  void close() {
    int error = 0;
    GifFileType* g = gif;
    gif = nullptr;
    if (EGifCloseFile(g, &error) == GIF_ERROR) fail(error);
  }
};

GifOutput::GifOutput(const std::string& dir, double speed, double every, double interval,
                     halcyra::World& world)
    : speed_(speed),
      every_(every),
      interval_(every > 0.0 ? every : interval),
      due_(every > 0.0 ? every : interval) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw OutputError(dir + ": cannot create the folder: " + ec.message());
  if (!std::filesystem::is_directory(dir, ec))
    throw OutputError(dir + ": cannot write: not a folder");
  for (size_t i = 0; i < world.screenCount(); ++i) {
    const halcyra::Screen& s = world.screen(i);
    screens_.push_back(std::make_unique<Animation>(dir + "/screen" + std::to_string(i) + ".gif",
                                                   s.width, s.height));
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
  if (a.image.empty() || a.ops != s.lastDrawing) {
    // Encoded aside, so that a frame that fails leaves the last one whole.
    render::renderDrawing(s.lastDrawing, a.width, a.height, picture_);
    a.encode(colours_.index(picture_, drawingColours(s.lastDrawing)), encoded_);
    a.image.swap(encoded_);
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
