// An animated GIF through giflib, its bytes sent to the sink as giflib writes
// them.
#include "platform/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <utility>

namespace render {
namespace {

std::string giflibError(int error) {
  const char* what = GifErrorString(error);
  return what ? what : "giflib error";
}

class GiflibWriter : public GifWriter {
 public:
  GiflibWriter(uint32_t width, uint32_t height, GifSink sink)
      : width_(width), height_(height), sink_(std::move(sink)) {}
  ~GiflibWriter() override {
    if (gif_) EGifCloseFile(gif_, nullptr);  // unfinished: the caller discards the bytes
  }
  GiflibWriter(const GiflibWriter&) = delete;
  GiflibWriter& operator=(const GiflibWriter&) = delete;

  bool open(std::string& error) {
    int code = 0;
    gif_ = EGifOpen(this, &GiflibWriter::output, &code);
    if (!gif_) {
      error = giflibError(code);
      return false;
    }
    EGifSetGifVersion(gif_, true);  // GIF89a: delays and looping are extensions
    // The application extension that makes players loop: NETSCAPE2.0, loop count 0 = forever.
    const GifByteType loop[3] = {1, 0, 0};
    if (EGifPutScreenDesc(gif_, int(width_), int(height_), 8, 0, nullptr) == GIF_ERROR ||
        EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR) {
      error = giflibError(gif_->Error);
      return false;
    }
    return true;
  }

  // giflib codes an image only into a file it writes, so the image is written
  // into a file of its own in memory, of which the bytes between the screen
  // descriptor and the trailer are kept.
  bool prepare(const GifRect& r, const std::vector<uint32_t>& colours,
               const std::vector<uint8_t>& indexes, GifImage& image, std::string& error) override {
    image.rect = r;
    image.colours = colours;
    std::vector<unsigned char>& out = image.coded;
    out.clear();
    int code = 0;
    GifFileType* g = EGifOpen(&out, &appendTo, &code);
    if (!g) {
      error = giflibError(code);
      return false;
    }
    ColorMapObject* map = GifMakeMapObject(int(colours.size()), nullptr);
    if (!map) {
      EGifCloseFile(g, nullptr);
      error = giflibError(E_GIF_ERR_NOT_ENOUGH_MEM);
      return false;
    }
    for (size_t i = 0; i < colours.size(); ++i) {
      const uint32_t c = colours[i];  // 0x00RRGGBB
      map->Colors[i] = {GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
    }
    bool ok = EGifPutScreenDesc(g, int(width_), int(height_), 8, 0, nullptr) != GIF_ERROR;
    const size_t start = out.size();  // [bytes] where the image begins
    ok = ok && EGifPutImageDesc(g, int(r.left), int(r.top), int(r.width), int(r.height), false,
                                map) != GIF_ERROR;
    // giflib masks a row's indexes in place to the colour table's size: they
    // are within it, so that this changes no value of the caller's vector.
    auto* row = const_cast<GifPixelType*>(indexes.data());
    for (uint32_t y = 0; ok && y < r.height; ++y, row += r.width)
      ok = EGifPutLine(g, row, int(r.width)) != GIF_ERROR;
    const size_t end = out.size();  // [bytes] where the trailer begins
    GifFreeMapObject(map);
    if (!ok) code = g->Error;
    if (EGifCloseFile(g, ok ? &code : nullptr) == GIF_ERROR || !ok) {
      error = giflibError(code);
      return false;
    }
    out.resize(end);
    out.erase(out.begin(), out.begin() + std::ptrdiff_t(start));
    return true;
  }

  bool write(const GifImage& image, int delay, std::string& error) override {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR) {
      error = giflibError(gif_->Error);
      return false;
    }
    if (!sink_(image.coded.data(), image.coded.size())) {
      error = giflibError(E_GIF_ERR_WRITE_FAILED);
      return false;
    }
    return true;
  }

  bool close(std::string& error) override {
    int code = 0;
    GifFileType* g = std::exchange(gif_, nullptr);
    if (EGifCloseFile(g, &code) == GIF_ERROR) {
      error = giflibError(code);
      return false;
    }
    return true;
  }

 private:
  static int output(GifFileType* g, const GifByteType* data, int length) {
    auto* self = static_cast<GiflibWriter*>(g->UserData);
    return self->sink_(data, size_t(length)) ? length : 0;
  }
  static int appendTo(GifFileType* g, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<unsigned char>*>(g->UserData);
    out->insert(out->end(), data, data + length);
    return length;
  }

  uint32_t width_, height_;  // [pixels]
  GifSink sink_;
  GifFileType* gif_ = nullptr;
};

}  // namespace

std::unique_ptr<GifWriter> openGifWriter(uint32_t width, uint32_t height, GifSink sink,
                                         std::string& error) {
  auto writer = std::make_unique<GiflibWriter>(width, height, std::move(sink));
  if (!writer->open(error)) return nullptr;
  return writer;
}

}  // namespace render
