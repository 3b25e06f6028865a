// Windows' own windows are not built yet: forms use the headless backend there meanwhile.
#include "platform/window.h"

namespace platform {

std::unique_ptr<WindowBackend> CreateSystemBackend() {
  throw NotSupported("Windows of this system are not supported yet");
}

}  // namespace platform
