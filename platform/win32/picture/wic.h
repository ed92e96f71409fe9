// What the PNG and GIF writers share of the Windows Imaging Component: COM
// interfaces released at the end of their scope, COM started for the thread
// while a writer needs it, an encoder writing into a stream in memory, and
// that stream's bytes.
#pragma once

#include <objbase.h>
#include <wincodec.h>

#include <functional>

namespace render {

// Releases a COM interface at the end of the scope.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() { reset(); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T** out() {
    reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// COM for this thread while it lives; a thread that has it already (in
// either model) keeps it.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

// The imaging factory and an encoder of the container format (a PNG, a GIF)
// writing into a new stream in memory; false when the system has none.
inline bool startEncoder(const GUID& container, Com<IWICImagingFactory>& factory,
                         Com<IStream>& stream, Com<IWICBitmapEncoder>& encoder) {
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.out()))) &&
         SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) &&
         SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.out())) &&
         SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
}

// Hands the bytes an encoder wrote into a memory stream to `use`; false when
// they cannot be read or `use` returns false.
inline bool withStreamBytes(IStream* stream,
                            const std::function<bool(const unsigned char*, size_t)>& use) {
  STATSTG stat{};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream, &memory)))
    return false;
  const void* data = GlobalLock(memory);
  if (data == nullptr) return false;
  const bool used = use(static_cast<const unsigned char*>(data), size_t(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return used;
}

}  // namespace render
