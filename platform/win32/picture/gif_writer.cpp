// An animated GIF through the Windows Imaging Component's GIF encoder: each
// frame an 8-bit indexed frame with its own palette, its delay, disposal and
// place on the screen set through the frame's metadata query writer, the
// logical screen and the looping through the encoder's. The file is encoded
// into a stream in memory, whose bytes go to the sink when it is closed.
//
// The encoder of some systems (Wine's) writes frames but no metadata: no
// looping, no delays, no offsets. Such a file would play once, at whatever
// pace a player picks, every frame drawn at the top left, so the writer
// refuses to start instead, when the encoder's metadata writer fails.
#include "platform/gif_writer.h"

#include <objbase.h>
#include <propidl.h>
#include <wincodec.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/picture/wic.h"

namespace render {
namespace {

PROPVARIANT unsigned16(USHORT value) {
  PROPVARIANT v;
  PropVariantInit(&v);
  v.vt = VT_UI2;
  v.uiVal = value;
  return v;
}

PROPVARIANT unsigned8(UCHAR value) {
  PROPVARIANT v;
  PropVariantInit(&v);
  v.vt = VT_UI1;
  v.bVal = value;
  return v;
}

// A byte vector that the writer copies: the caller keeps the bytes.
PROPVARIANT bytes(const UCHAR* data, ULONG length) {
  PROPVARIANT v;
  PropVariantInit(&v);
  v.vt = VT_UI1 | VT_VECTOR;
  v.caub.cElems = length;
  v.caub.pElems = const_cast<UCHAR*>(data);
  return v;
}

bool set(IWICMetadataQueryWriter* writer, const wchar_t* name, PROPVARIANT value) {
  return SUCCEEDED(writer->SetMetadataByName(name, &value));
}

constexpr UCHAR kDoNotDispose = 1;  // the graphics control extension's disposal method

class WicGifWriter : public GifWriter {
 public:
  explicit WicGifWriter(GifSink sink) : sink_(std::move(sink)) {}

  bool open(uint32_t width, uint32_t height, std::string& error) {
    if (!startEncoder(GUID_ContainerFormatGif, factory_, stream_, encoder_)) {
      error = "this system's imaging component has no GIF encoder";
      return false;
    }
    // The application extension that makes players loop: NETSCAPE2.0, then
    // its data sub-block as the query writer takes it, with its length:
    // 3 bytes, sub-block 1, loop count 0 (forever, 16 bits little-endian).
    static const UCHAR kApplication[] = "NETSCAPE2.0";
    static const UCHAR kLoopForever[] = {3, 1, 0, 0, 0};
    Com<IWICMetadataQueryWriter> metadata;
    if (FAILED(encoder_->GetMetadataQueryWriter(metadata.out())) ||
        !set(metadata.get(), L"/logscrdesc/Width", unsigned16(USHORT(width))) ||
        !set(metadata.get(), L"/logscrdesc/Height", unsigned16(USHORT(height))) ||
        !set(metadata.get(), L"/appext/Application", bytes(kApplication, 11)) ||
        !set(metadata.get(), L"/appext/Data", bytes(kLoopForever, sizeof kLoopForever))) {
      error =
          "the GIF encoder of this system's imaging component writes no looping nor frame "
          "delays, which an animation needs";
      return false;
    }
    return true;
  }

  // The imaging component codes the indexes as each frame is written.
  bool prepare(const GifRect& rect, const std::vector<uint32_t>& colours,
               const std::vector<uint8_t>& indexes, GifImage& image, std::string&) override {
    image.rect = rect;
    image.colours = colours;
    image.coded.assign(indexes.begin(), indexes.end());
    return true;
  }

  bool write(const GifImage& image, int delay, std::string& error) override {
    const GifRect& r = image.rect;
    std::vector<WICColor> colours;  // 0xAARRGGBB, opaque
    for (uint32_t c : image.colours) colours.push_back(0xff000000u | c);
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    Com<IWICPalette> palette;
    Com<IWICMetadataQueryWriter> metadata;
    WICPixelFormatGUID format = GUID_WICPixelFormat8bppIndexed;
    const bool framed =
        SUCCEEDED(encoder_->CreateNewFrame(frame.out(), options.out())) &&
        SUCCEEDED(frame->Initialize(options.get())) &&
        SUCCEEDED(frame->SetSize(r.width, r.height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed) &&
        SUCCEEDED(factory_->CreatePalette(palette.out())) &&
        SUCCEEDED(palette->InitializeCustom(colours.data(), UINT(colours.size()))) &&
        SUCCEEDED(frame->SetPalette(palette.get()));
    if (!framed) {
      error = "the imaging component failed to start a GIF frame";
      return false;
    }
    if (FAILED(frame->GetMetadataQueryWriter(metadata.out())) ||
        !set(metadata.get(), L"/grctlext/Disposal", unsigned8(kDoNotDispose)) ||
        !set(metadata.get(), L"/grctlext/Delay", unsigned16(USHORT(delay))) ||
        !set(metadata.get(), L"/imgdesc/Left", unsigned16(USHORT(r.left))) ||
        !set(metadata.get(), L"/imgdesc/Top", unsigned16(USHORT(r.top)))) {
      error = "the imaging component cannot write a GIF frame's delay and place";
      return false;
    }
    auto* indexes = const_cast<BYTE*>(image.coded.data());  // only read
    if (FAILED(frame->WritePixels(r.height, r.width, UINT(image.coded.size()), indexes)) ||
        FAILED(frame->Commit())) {
      error = "the imaging component failed to encode a GIF frame";
      return false;
    }
    return true;
  }

  bool close(std::string& error) override {
    if (FAILED(encoder_->Commit())) {
      error = "the imaging component failed to finish the GIF";
      return false;
    }
    bool read = false;
    if (!withStreamBytes(stream_.get(), [&](const unsigned char* data, size_t length) {
          read = true;
          return sink_(data, length);
        })) {
      error = read ? "write failed" : "cannot read the encoded GIF";
      return false;
    }
    return true;
  }

 private:
  ComScope com_;  // first: it outlives the interfaces below
  Com<IWICImagingFactory> factory_;
  Com<IStream> stream_;
  Com<IWICBitmapEncoder> encoder_;
  GifSink sink_;
};

}  // namespace

std::unique_ptr<GifWriter> openGifWriter(uint32_t width, uint32_t height, GifSink sink,
                                         std::string& error) {
  auto writer = std::make_unique<WicGifWriter>(std::move(sink));
  if (!writer->open(width, height, error)) return nullptr;
  return writer;
}

}  // namespace render
