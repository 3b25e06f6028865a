// The named lock on Linux: a file in the user's runtime folder, held by a shared open-file lock.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "platform/environment.h"

namespace platform {
namespace {

std::string LockFolder() {
  std::string runtime = GetEnv("XDG_RUNTIME_DIR");
  if (!runtime.empty() && access(runtime.c_str(), W_OK) == 0) return runtime;
  // Without a runtime folder the user's own subfolder of /tmp keeps users apart, as logon sessions do.
  std::string folder = "/tmp/vel-instances-" + std::to_string(geteuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

bool SetLock(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// A file name holds at most 255 bytes; a longer lock name (a deep path of non-ASCII names) is
// replaced by a digest of it, so the guard never falls silent.
std::string LockFileName(const std::string& name) {
  constexpr std::size_t kLimit = 255 - 5;  // ".lock"
  if (name.size() <= kLimit) return name;
  auto fnv = [&](std::uint64_t hash) {
    for (unsigned char c : name) hash = (hash ^ c) * 0x100000001b3ULL;
    return hash;
  };
  char digest[40];
  std::snprintf(digest, sizeof digest, "%016llx%016llx", static_cast<unsigned long long>(fnv(0xcbf29ce484222325ULL)),
                static_cast<unsigned long long>(fnv(0x84222325cbf29ce4ULL)));
  return name.substr(0, 64) + "~" + digest;
}

}  // namespace

bool JoinNamedLock(const std::string& name) {
  std::string path = LockFolder() + "/" + LockFileName(name) + ".lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // Open-file-description locks belong to this descriptor, not to the process, so a second call of
  // the same process sees the first call's lock as another holder. The write lock succeeds only for
  // the first holder; it then turns into a shared one (atomically) like everyone else's. The
  // descriptor is deliberately never closed: the lock lasts as long as the process.
  bool first = SetLock(fd, F_WRLCK);
  if (!SetLock(fd, F_RDLCK)) {
    // A writer holds it for the moment between its two steps; wait until it is shared.
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    fcntl(fd, F_OFD_SETLKW, &lock);
  }
  return !first;
}

}  // namespace platform
