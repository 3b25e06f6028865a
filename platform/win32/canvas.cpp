// The Windows build has no drawing backend yet: every call answers that it is not supported.
#include "platform/canvas.h"

namespace platform {
namespace {
[[noreturn]] void Unsupported() { throw NotSupported("Drawing is not supported on this system yet"); }
}  // namespace

bool CanvasSupported() { return false; }
std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer&) { Unsupported(); }
std::string ResolveFontFamily(const std::string&) { Unsupported(); }
DecodedImage DecodePng(const void*, std::size_t) { Unsupported(); }

}  // namespace platform
