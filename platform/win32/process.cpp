// Windows: this process, Toolhelp process lists, ending by taskkill, launching through the shell.
#include "platform/process.h"
#include "support.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>


#include <memory>
#include <string>

#include "platform/command_line.h"
#include "platform/text.h"

namespace platform {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct SidFreer {
  void operator()(PSID sid) const { FreeSid(sid); }
};

UniqueHandle OpenForQuery(DWORD pid) {
  return UniqueHandle(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
}

std::string ImagePath(HANDLE process) {
  // Long paths exceed MAX_PATH; 32767 characters is the most any Win32 path can have.
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
  path.resize(size);
  return Narrow(path);
}

// The command line as the process's own parameters in its memory hold it (the reason the process is
// opened for reading memory). A process still starting or of another bitness may not answer.
std::string CommandLineOf(HANDLE process) {
  using NtQueryInformationProcessFn =
      NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  static const auto query = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto proc = ntdll ? GetProcAddress(ntdll, "NtQueryInformationProcess") : nullptr;
    return reinterpret_cast<NtQueryInformationProcessFn>(reinterpret_cast<void*>(proc));
  }();
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) < 0 ||
      !basic.PebBaseAddress)
    return {};
  auto read = [process](const void* address, void* into, std::size_t size) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, address, into, size, &got) && got == size;
  };
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  if (!read(basic.PebBaseAddress, &peb, sizeof(peb)) || !peb.ProcessParameters ||
      !read(peb.ProcessParameters, &parameters, sizeof(parameters)))
    return {};
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (line.empty() ||
      !read(parameters.CommandLine.Buffer, line.data(), line.size() * sizeof(wchar_t)))
    return {};
  return Narrow(line);
}

void ShellLaunch(const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                 const std::wstring& directory, int show) {
  ComScope com;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // Without NOASYNC the shell may still be starting the program on another thread when we return,
  // and a process about to end would cut that short.
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = verb;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = show;
  ShellExecuteExW(&info);
}

}  // namespace

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A path that filled the buffer may have been cut short.
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

const std::vector<std::string>& Arguments() {
  static const std::vector<std::string> args = [] {
    std::vector<std::string> all = SplitCommandLine(Narrow(GetCommandLineW()));
    if (!all.empty()) all.erase(all.begin());
    return all;
  }();
  return args;
}

bool IsElevated() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID rawSid = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &rawSid))
    return false;
  std::unique_ptr<void, SidFreer> administrators(rawSid);
  // With no token given the check uses the thread's effective token, in which a filtered (not
  // elevated) administrator holds the group only for denying, so it answers false there.
  BOOL member = FALSE;
  return CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

std::uint32_t ParentProcessId() {
  // Only the snapshot knows it; no process is opened, unlike a full listing.
  HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (taken == INVALID_HANDLE_VALUE) return 0;
  UniqueHandle snapshot(taken);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
  return 0;
}

std::vector<TProcess> ListProcesses() {
  std::vector<TProcess> processes;
  HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (taken == INVALID_HANDLE_VALUE) return processes;
  UniqueHandle snapshot(taken);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    TProcess process;
    process.Module = Narrow(entry.szExeFile);
    process.PID = static_cast<std::int32_t>(entry.th32ProcessID);
    process.ParentPID = static_cast<std::int32_t>(entry.th32ParentProcessID);
    process.Modules = static_cast<std::int32_t>(entry.th32ModuleID);
    process.Threads = static_cast<std::int32_t>(entry.cntThreads);
    process.Priority = static_cast<std::int32_t>(entry.pcPriClassBase);
    process.Flags = static_cast<std::int32_t>(entry.dwFlags);
    // Processes of other users and protected ones refuse to be opened; they stay in the list.
    if (UniqueHandle handle = OpenForQuery(entry.th32ProcessID)) {
      process.FileName = ImagePath(handle.get());
      process.Command = CommandLineOf(handle.get());
    }
    processes.push_back(std::move(process));
  }
  return processes;
}

void LowerCurrentThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST); }

std::string ProcessImagePath(std::uint32_t pid) {
  UniqueHandle handle = OpenForQuery(pid);
  return handle ? ImagePath(handle.get()) : std::string();
}

void EndProcess(std::uint32_t pid, bool force) {
  std::wstring parameters = L"/PID \"" + std::to_wstring(pid) + L"\"";
  if (force) parameters += L" /F";
  ShellLaunch(L"open", L"taskkill", parameters, {}, SW_HIDE);
}

void ShellRunVerb(std::string_view verb, std::string_view file, std::string_view parameters,
                  std::string_view directory, bool visible) {
  ShellLaunch(Wide(verb).c_str(), Wide(file), Wide(parameters), Wide(directory),
              visible ? SW_SHOWNORMAL : SW_HIDE);
}

}  // namespace platform
