// Test support on Windows: children through CreateProcessW, output through one anonymous pipe.
#include "child_process.h"

#include <windows.h>

#include <algorithm>

#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "platform/text.h"

namespace testsupport {
namespace {

std::wstring Wide(std::string_view text) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  return {wide.begin(), wide.end()};
}

std::string Narrow(std::wstring_view text) {
  return platform::Utf16ToUtf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }

  HANDLE Get() const { return handle_; }
  void Close() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Parts with blanks are quoted, the others left bare so that "cmd /c program args" reads as if
// typed. The programs under test split their parameters with the installer's rules, where a
// double quote only toggles quoting and there is no escape: "C:\My Apps\" reaches them with its
// trailing backslash, and a double quote inside a parameter cannot be passed at all.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::wstring line;
  auto append = [&](const std::string& part) {
    if (part.find('"') != std::string::npos)
      throw std::invalid_argument("a double quote cannot be passed on a command line: " + part);
    if (!line.empty()) line += L' ';
    bool quote = part.empty() || part.find_first_of(" \t") != std::string::npos;
    line += quote ? L'"' + Wide(part) + L'"' : Wide(part);
  };
  append(program);
  for (const std::string& arg : args) append(arg);
  return line;
}

struct Process {
  Handle process;
  DWORD pid = 0;
};

Process Start(const std::string& program, const std::vector<std::string>& args,
              STARTUPINFOW& startup, bool inheritHandles) {
  std::wstring line = CommandLine(program, args);
  PROCESS_INFORMATION info{};
  // No application name, so that a bare name such as "cmd" is looked up as the shell would.
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inheritHandles, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info))
    ThrowLastError("CreateProcessW");
  CloseHandle(info.hThread);
  return {Handle(info.hProcess), info.dwProcessId};
}

int ExitCodeOf(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

}  // namespace

RunResult Run(const std::string& program, const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) ThrowLastError("CreatePipe");
  Handle reader(readEnd), writer(writeEnd);
  // Our end must not be inherited, or the child would keep its own pipe open and never see the end.
  SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
  Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                           OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.Get();
  startup.hStdOutput = writer.Get();
  startup.hStdError = writer.Get();
  Process child = Start(program, args, startup, TRUE);
  // Only the child (and what it passes the pipe on to) holds the write end now, so the reads below
  // end when the last of them has gone.
  writer.Close();
  input.Close();

  RunResult result;
  char buffer[4096];
  // Read until the child has ended and what it wrote is read, not until the pipe closes: a Wine service
  // process that a child starts on demand (explorer.exe /desktop, the first time a program of the prefix
  // needs the desktop) inherits the pipe and holds it for its own life, and the read would never end.
  auto drain = [&] {
    DWORD available = 0, got = 0;
    while (PeekNamedPipe(reader.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(reader.Get(), buffer, std::min<DWORD>(available, sizeof(buffer)), &got, nullptr) && got > 0)
      result.output.append(buffer, got);
  };
  for (;;) {
    drain();
    DWORD available = 0;
    // A pipe whose every writer has gone is read to its end.
    if (!PeekNamedPipe(reader.Get(), nullptr, 0, nullptr, &available, nullptr)) break;
    if (WaitForSingleObject(child.process.Get(), 10) == WAIT_OBJECT_0) {
      drain();
      break;
    }
  }
  // Windows programs end their lines with CR LF; the tests compare lines as Linux writes them.
  std::string::size_type at = 0;
  while ((at = result.output.find("\r\n", at)) != std::string::npos) result.output.erase(at, 1);
  result.exitCode = ExitCodeOf(child.process.Get());
  return result;
}

RunResult RunFromShell(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> shellArgs{"/c", program};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  RunResult result = Run("cmd", shellArgs);
  // 9009 is the shell's own "cannot start it": nothing of the program ran. Wine's cmd has given it
  // once for a program that was there before and after, so that one case is tried again a few times, and said.
  // Each try is a whole shell's start, which paces the tries without a wait of our own.
  constexpr int kShellCouldNotStart = 9009;
  for (int retry = 1; retry <= 3 && result.exitCode == kShellCouldNotStart &&
                      GetFileAttributesW(Wide(program).c_str()) != INVALID_FILE_ATTRIBUTES;
       ++retry) {
    std::fprintf(stderr, "note: the shell could not start %s (%s); trying once more\n", program.c_str(),
                 result.output.c_str());
    result = Run("cmd", shellArgs);
  }
  return result;
}

struct Child::Impl {
  Process process;
};

Child::Child(const std::string& program, const std::vector<std::string>& args)
    : impl_(std::make_unique<Impl>()) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  impl_->process = Start(program, args, startup, FALSE);
}

Child::~Child() {
  Kill();
  ExitCodeOf(impl_->process.process.Get());
}

std::uint32_t Child::Pid() const { return impl_->process.pid; }

bool Child::Running() {
  return WaitForSingleObject(impl_->process.process.Get(), 0) == WAIT_TIMEOUT;
}

int Child::Wait() { return ExitCodeOf(impl_->process.process.Get()); }

void Child::Kill() {
  if (Running()) TerminateProcess(impl_->process.process.Get(), 1);
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowLastError("GetModuleFileNameW");
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.resize(path.find_last_of(L"\\/"));
  return Narrow(path);
}

std::string MakeTempFolder() {
  wchar_t base[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) ThrowLastError("GetTempPathW");
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::wstring folder = std::wstring(base, length) + L"veltest-" +
                          std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return Narrow(folder);
    if (GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError("CreateDirectoryW");
  }
}

}  // namespace testsupport
