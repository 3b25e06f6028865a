// The named lock on Linux: a file in the user's runtime folder, held by a shared open-file lock.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool JoinNamedLock(const std::string& name) {
  std::string path = LockFolder() + "/" + name + ".lock";
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
