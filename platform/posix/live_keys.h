// The keys of the current user's hive that answer from the desktop: shell folders, app theme, accent.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "key_path.h"
#include "platform/registry.h"

namespace platform {

using LiveValues = std::vector<std::pair<std::string, RegValue>>;

// Whether the key always exists: the root, a live key or one of its parents.
bool IsLiveKey(RegRoot root, const Segments& path);
// The names of the live keys (or their parents) directly below `path`.
std::vector<std::string> LiveSubKeys(RegRoot root, const Segments& path);
// The values the desktop gives the key at `path`; none for a key that is not live.
LiveValues LiveValuesOf(RegRoot root, const Segments& path);

}  // namespace platform
