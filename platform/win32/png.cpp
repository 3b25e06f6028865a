// PNG pictures decoded through the Windows Imaging Component into premultiplied pixels.
#include <wincodec.h>

#include <cstring>
#include <stdexcept>

#include "platform/canvas.h"
#include "support.h"

namespace platform {
namespace {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }

 private:
  T* p_ = nullptr;
};

[[noreturn]] void NotPng() { throw std::runtime_error("Not a PNG picture"); }

// As the toolkit rounds it, so a picture and a colour premultiplied by the toolkit agree to the bit.
std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t a) {
  const std::uint32_t t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

}  // namespace

DecodedImage DecodePng(const void* data, std::size_t size) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0 || size > 0xFFFFFFFFu)
    NotPng();

  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.out()))))
    throw std::runtime_error("The system's picture decoders cannot be reached");
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> straight;
  UINT width = 0, height = 0;
  // The PNG decoder by name: data with a PNG signature is never handed to another format's decoder.
  if (FAILED(factory->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(static_cast<const BYTE*>(data)), static_cast<DWORD>(size))) ||
      FAILED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.out())) ||
      FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, frame.out())) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), straight.out())) ||
      FAILED(straight->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF)
    NotPng();

  DecodedImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  if (FAILED(straight->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size() * 4),
                                  reinterpret_cast<BYTE*>(image.pixels.data()))))
    NotPng();
  for (std::uint32_t& p : image.pixels) {
    const std::uint32_t a = p >> 24;
    if (a == 255) continue;
    p = (a << 24) | (MulDiv255((p >> 16) & 0xFF, a) << 16) | (MulDiv255((p >> 8) & 0xFF, a) << 8) | MulDiv255(p & 0xFF, a);
  }
  return image;
}

}  // namespace platform
