/* Faults for the installer's end-to-end tests on Linux, loaded with LD_PRELOAD into the program under
 * test, so the shipped program carries no switch for them. Each is chosen by an environment variable:
 *   VEL_FAULT_NOSPACE=TEXT    every write to a file whose path holds TEXT fails with ENOSPC;
 *   VEL_FAULT_FREE_BYTES=N    the file systems report N bytes free to the unprivileged;
 *   VEL_FAULT_STOP_AT=TEXT    the process stops itself (SIGSTOP) just before the first rename whose
 *                             target holds TEXT, so a test can kill it at that exact point. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static void* Next(const char* name) { return dlsym(RTLD_NEXT, name); }

/* Whether the open file `fd` is one the no-space fault is meant for. */
static int Full(int fd) {
  const char* pattern = getenv("VEL_FAULT_NOSPACE");
  if (!pattern || !*pattern) return 0;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return 0;
  path[n] = '\0';
  return strstr(path, pattern) != NULL;
}

ssize_t write(int fd, const void* data, size_t size) {
  if (Full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return ((ssize_t(*)(int, const void*, size_t))Next("write"))(fd, data, size);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
  if (Full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return ((ssize_t(*)(int, const struct iovec*, int))Next("writev"))(fd, parts, count);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
  if (Full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return ((ssize_t(*)(int, const void*, size_t, off_t))Next("pwrite"))(fd, data, size, at);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t at) {
  if (Full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return ((ssize_t(*)(int, const void*, size_t, off_t))Next("pwrite64"))(fd, data, size, at);
}

ssize_t copy_file_range(int from, loff_t* fromAt, int to, loff_t* toAt, size_t size, unsigned flags) {
  if (Full(to)) {
    errno = ENOSPC;
    return -1;
  }
  return ((ssize_t(*)(int, loff_t*, int, loff_t*, size_t, unsigned))Next("copy_file_range"))(from, fromAt, to, toAt,
                                                                                               size, flags);
}

static void Shrink(struct statvfs* info) {
  const char* bytes = getenv("VEL_FAULT_FREE_BYTES");
  if (!bytes || !*bytes || info->f_frsize == 0) return;
  info->f_bavail = strtoull(bytes, NULL, 10) / info->f_frsize;
}

int statvfs(const char* path, struct statvfs* info) {
  int result = ((int (*)(const char*, struct statvfs*))Next("statvfs"))(path, info);
  if (result == 0) Shrink(info);
  return result;
}

int statvfs64(const char* path, struct statvfs64* info) {
  int result = ((int (*)(const char*, struct statvfs64*))Next("statvfs64"))(path, info);
  const char* bytes = getenv("VEL_FAULT_FREE_BYTES");
  if (result == 0 && bytes && *bytes && info->f_frsize != 0) info->f_bavail = strtoull(bytes, NULL, 10) / info->f_frsize;
  return result;
}

static void StopBefore(const char* target) {
  const char* pattern = getenv("VEL_FAULT_STOP_AT");
  if (!pattern || !*pattern || !strstr(target, pattern)) return;
  /* Once: a rerun of the same process after the test lets it go on must not stop again. */
  unsetenv("VEL_FAULT_STOP_AT");
  raise(SIGSTOP);
}

int rename(const char* from, const char* to) {
  StopBefore(to);
  return ((int (*)(const char*, const char*))Next("rename"))(from, to);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
  StopBefore(to);
  return ((int (*)(int, const char*, int, const char*))Next("renameat"))(fromFolder, from, toFolder, to);
}
