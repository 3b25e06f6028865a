// The named lock on Linux: a file in the user's runtime folder, held by a shared open-file lock.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "xdg_folders.h"

namespace platform {
namespace {

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

std::string LockPath(const std::string& name) { return RuntimeFolder("", "vel-instances") + "/" + LockFileName(name) + ".lock"; }

// The descriptors this process holds each lock through: the lock lives exactly as long as they do.
std::map<std::string, std::vector<int>>& Held() {
  static std::map<std::string, std::vector<int>> held;
  return held;
}

}  // namespace

bool JoinNamedLock(const std::string& name) {
  std::string path = LockPath(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  Held()[name].push_back(fd);
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

void LeaveNamedLock(const std::string& name) {
  auto found = Held().find(name);
  if (found == Held().end()) return;
  for (int fd : found->second) close(fd);
  Held().erase(found);
}

bool NamedLockHeld(const std::string& name) {
  int fd = open(LockPath(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  // Asks who would stand in the way of a writer; the answer does not count this descriptor's own.
  const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  close(fd);
  return held;
}

}  // namespace platform
