// PNG through the Windows Imaging Component: the picture is encoded into a
// stream in memory, whose bytes are the file's.
#include "platform/png_writer.h"

#include <string>
#include <vector>

#include "platform/picture.h"  // first: <windows.h> as the platform layer includes it
#include "platform/win32/picture/wic.h"

namespace render {
namespace {

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
  ComScope com;  // first: it outlives the interfaces below
  Com<IWICImagingFactory> factory;
  Com<IStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  std::vector<BYTE> rows = bgrRows(picture);
  const UINT stride = picture.width * 3;
  return startEncoder(GUID_ContainerFormatPng, factory, stream, encoder) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.out(), options.out())) &&
         SUCCEEDED(frame->Initialize(options.get())) &&
         SUCCEEDED(frame->SetSize(picture.width, picture.height)) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) &&
         IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
         SUCCEEDED(frame->WritePixels(picture.height, stride, UINT(rows.size()), rows.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) &&
         withStreamBytes(stream.get(), [&png](const unsigned char* data, size_t length) {
           png.assign(data, data + length);
           return true;
         });
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
