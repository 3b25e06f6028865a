// Test support on Linux: fork and exec, output through one pipe.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include "child_process.h"

namespace testsupport {
namespace {

pid_t Start(const std::string& program, const std::vector<std::string>& args, int outFd) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (outFd >= 0) {
      dup2(outFd, STDOUT_FILENO);
      dup2(outFd, STDERR_FILENO);
    }
    int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, STDIN_FILENO);
    execv(raw[0], raw.data());
    _exit(127);
  }
  return pid;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

}  // namespace

RunResult Run(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = Start(program, args, fds[1]);
  close(fds[1]);
  RunResult result;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = ExitCodeOf(status);
  return result;
}

RunResult RunFromShell(const std::string& program, const std::vector<std::string>& args) {
  // A command after the program keeps the shell from replacing itself by the program.
  std::vector<std::string> shellArgs{"-c", "\"$0\" \"$@\"; exit $?", program};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  return Run("/bin/sh", shellArgs);
}

struct Child::Impl {
  pid_t pid = -1;
  bool reaped = false;
  int exitCode = -1;
};

Child::Child(const std::string& program, const std::vector<std::string>& args) : impl_(std::make_unique<Impl>()) {
  impl_->pid = Start(program, args, -1);
}

Child::~Child() {
  Kill();
  Wait();
}

std::uint32_t Child::Pid() const { return static_cast<std::uint32_t>(impl_->pid); }

bool Child::Running() {
  if (impl_->reaped) return false;
  int status = 0;
  if (waitpid(impl_->pid, &status, WNOHANG) == impl_->pid) {
    impl_->reaped = true;
    impl_->exitCode = ExitCodeOf(status);
    return false;
  }
  return true;
}

int Child::Wait() {
  if (!impl_->reaped) {
    int status = 0;
    waitpid(impl_->pid, &status, 0);
    impl_->reaped = true;
    impl_->exitCode = ExitCodeOf(status);
  }
  return impl_->exitCode;
}

void Child::Kill() {
  if (!impl_->reaped) kill(impl_->pid, SIGKILL);
}

std::string ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace testsupport
