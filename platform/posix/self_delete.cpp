// Removing the running program's own file on Linux: a running executable may be unlinked at once.
#include "platform/self_delete.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/process.h"

namespace platform {

void DeleteOwnExecutableLater(const std::string& folder) {
  std::filesystem::path self = ToPath(ExecutablePath());
  std::error_code ec;
  if (!std::filesystem::remove(self, ec) && ec) throw std::system_error(ec, FromPath(self));
  if (folder.empty()) return;
  std::filesystem::path dir = ToPath(folder);
  // A folder that still holds something stays, with no complaint: it is not ours to empty.
  if (!std::filesystem::is_empty(dir, ec) || ec) return;
  if (!std::filesystem::remove(dir, ec) && ec) throw std::system_error(ec, folder);
}

}  // namespace platform
