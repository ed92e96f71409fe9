// PNG through the Windows Imaging Component: the picture is encoded into a
// stream in memory, whose bytes are the file's.
#include "platform/png_writer.h"

#include <objbase.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "platform/picture.h"  // first: <windows.h> as the platform layer includes it

namespace render {
namespace {

// Releases a COM interface at the end of the scope.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// The picture's pixels as rows of 8-bit blue, green, red.
std::vector<BYTE> bgrRows(const Picture& picture) {
  std::vector<BYTE> rows(size_t(picture.width) * picture.height * 3);
  BYTE* out = rows.data();
  for (uint32_t pixel : picture.pixels) {
    *out++ = BYTE(pixel & 0xff);
    *out++ = BYTE((pixel >> 8) & 0xff);
    *out++ = BYTE((pixel >> 16) & 0xff);
  }
  return rows;
}

bool encode(const Picture& picture, std::vector<unsigned char>& png) {
  // COM for this thread; a thread that has it already (in either model) keeps it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const bool comStarted = SUCCEEDED(com);
  bool done = false;
  {
    Com<IWICImagingFactory> factory;
    Com<IStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    std::vector<BYTE> rows = bgrRows(picture);
    const UINT stride = picture.width * 3;
    STATSTG stat{};
    done = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.out()))) &&
           SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.out(), options.out())) &&
           SUCCEEDED(frame->Initialize(options.get())) &&
           SUCCEEDED(frame->SetSize(picture.width, picture.height)) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(picture.height, stride, UINT(rows.size()), rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) &&
           SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME));
    HGLOBAL memory = nullptr;
    if (done && SUCCEEDED(GetHGlobalFromStream(stream.get(), &memory))) {
      const void* bytes = GlobalLock(memory);
      done = bytes != nullptr;
      if (done) {
        const auto* begin = static_cast<const unsigned char*>(bytes);
        png.assign(begin, begin + size_t(stat.cbSize.QuadPart));
        GlobalUnlock(memory);
      }
    } else {
      done = false;
    }
  }
  if (comStarted) CoUninitialize();
  return done;
}

}  // namespace

bool encodePng(const Picture& picture, std::vector<unsigned char>& png, std::string& error) {
  png.clear();
  if (picture.width == 0 || picture.height == 0 ||
      picture.pixels.size() != size_t(picture.width) * picture.height) {
    error = "cannot write an empty picture";
    return false;
  }
  if (!encode(picture, png)) {
    png.clear();
    error = "cannot write: the imaging component failed to encode the picture";
    return false;
  }
  return true;
}

}  // namespace render
