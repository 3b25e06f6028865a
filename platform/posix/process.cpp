// Processes on Linux: /proc for the facts and the list, signals to end, a detached spawn to launch.
#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/command_line.h"
#include "platform/environment.h"

namespace platform {
namespace {

std::string ReadLink(const std::string& path) {
  std::string buffer(PATH_MAX, '\0');
  ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
  if (n <= 0) return {};
  buffer.resize(static_cast<std::size_t>(n));
  // The kernel marks the image of a replaced or removed executable; the name is still the one it ran.
  constexpr std::string_view kDeleted = " (deleted)";
  if (buffer.size() > kDeleted.size() && buffer.ends_with(kDeleted))
    buffer.resize(buffer.size() - kDeleted.size());
  return buffer;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SplitZeros(const std::string& raw) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    parts.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string BaseName(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program's full path: as given when it has a folder, otherwise found on PATH; empty if neither.
std::string FindProgram(const std::string& file) {
  if (file.find('/') != std::string::npos) return IsExecutableFile(file) ? file : std::string();
  std::string path = GetEnv("PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string candidate = path.substr(start, end - start) + "/" + file;
    if (end > start && IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

// Starts the program in a session of its own and does not wait for it: the intermediate child ends
// at once, so the program is adopted by init and leaves no zombie behind.
void SpawnDetached(const std::vector<std::string>& argv, const std::string& directory, bool quiet) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      if (quiet) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
      }
    }
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

std::uint32_t ParentProcessId() { return static_cast<std::uint32_t>(getppid()); }

std::string ExecutablePath() { return ReadLink("/proc/self/exe"); }

const std::vector<std::string>& Arguments() {
  static const std::vector<std::string> args = [] {
    std::vector<std::string> all = SplitZeros(ReadFile("/proc/self/cmdline"));
    if (!all.empty()) all.erase(all.begin());
    return all;
  }();
  return args;
}

bool IsElevated() { return geteuid() == 0; }

void LowerCurrentThreadPriority() {
  // Linux keeps a nice value per thread, addressed by the thread's own id. Raising it needs no rights;
  // a refusal only leaves the thread at normal priority, which is harmless.
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  (void)setpriority(PRIO_PROCESS, tid, 19);
}

std::string ProcessImagePath(std::uint32_t pid) {
  return ReadLink("/proc/" + std::to_string(pid) + "/exe");
}

std::vector<TProcess> ListProcesses() {
  std::vector<std::uint32_t> pids;
  if (DIR* dir = opendir("/proc")) {
    while (dirent* e = readdir(dir)) {
      char* end = nullptr;
      unsigned long pid = std::strtoul(e->d_name, &end, 10);
      if (end && *end == '\0' && pid > 0) pids.push_back(static_cast<std::uint32_t>(pid));
    }
    closedir(dir);
  }
  std::sort(pids.begin(), pids.end());

  std::vector<TProcess> list;
  for (std::uint32_t pid : pids) {
    std::string base = "/proc/" + std::to_string(pid);
    std::string stat = ReadFile(base + "/stat");
    auto open = stat.find('(');
    auto close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;  // ended meanwhile

    TProcess entry;
    entry.PID = static_cast<std::int32_t>(pid);
    std::istringstream fields(stat.substr(close + 2));
    std::string state;
    long values[18] = {};
    fields >> state;
    for (long& v : values) fields >> v;
    entry.ParentPID = static_cast<std::int32_t>(values[0]);  // field 4
    entry.Priority = static_cast<std::int32_t>(values[14]);  // field 18
    entry.Threads = static_cast<std::int32_t>(values[16]);   // field 20

    std::vector<std::string> cmdline = SplitZeros(ReadFile(base + "/cmdline"));
    entry.FileName = ReadLink(base + "/exe");
    // The kernel's short name cuts long executable names, so it is only the last resort.
    if (!entry.FileName.empty())
      entry.Module = BaseName(entry.FileName);
    else if (!cmdline.empty() && !cmdline[0].empty())
      entry.Module = BaseName(cmdline[0]);
    else
      entry.Module = stat.substr(open + 1, close - open - 1);
    for (std::size_t i = 0; i < cmdline.size(); ++i) {
      if (i) entry.Command += ' ';
      bool quote = cmdline[i].find(' ') != std::string::npos;
      entry.Command += quote ? "\"" + cmdline[i] + "\"" : cmdline[i];
    }
    list.push_back(std::move(entry));
  }
  return list;
}

void EndProcess(std::uint32_t pid, bool force) {
  // 0 and values beyond pid_t would address process groups: such a record ends nothing.
  if (pid == 0 || pid > static_cast<std::uint32_t>(INT_MAX)) return;
  kill(static_cast<pid_t>(pid), force ? SIGKILL : SIGTERM);
}

void ShellRunVerb(std::string_view verb, std::string_view file, std::string_view parameters,
                  std::string_view directory, bool visible) {
  std::string target(file);
  std::vector<std::string> argv = SplitCommandLine(parameters);
  std::string program = FindProgram(target);
  if (program.empty()) {
    // Not a program: a document or an address, opened by the desktop's chosen application.
    std::string opener = FindProgram("xdg-open");
    if (opener.empty()) return;
    SpawnDetached({opener, target}, std::string(directory), !visible);
    return;
  }
  argv.insert(argv.begin(), program);
  if (verb == "runas" && !IsElevated()) {
    std::string pkexec = FindProgram("pkexec");
    if (pkexec.empty()) return;
    argv.insert(argv.begin(), pkexec);
  }
  SpawnDetached(argv, std::string(directory), !visible);
}

}  // namespace platform
