// Processes: this process's facts, the system's process list, ending a process, launching programs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::uint32_t CurrentProcessId();
// The process that started this one (its adopter once it has ended); 0 when it cannot be told.
std::uint32_t ParentProcessId();
// Full path of the running executable.
std::string ExecutablePath();
// The parameters the process was started with, without the program itself: read once, as they never
// change, so that going through thousands of them one by one stays linear.
const std::vector<std::string>& Arguments();
// The process runs with administrator rights (Windows: an elevated member of Administrators;
// Linux: effective user id 0).
bool IsElevated();
// Drops the calling thread to the lowest priority a normal thread can have, so that background
// pacing work never competes with the user-interface thread.
void LowerCurrentThreadPriority();

// One running process, as the system's process list reports it.
struct TProcess {
  std::string Module;    // executable file name without folder
  std::string FileName;  // full path of the executable; empty when the process cannot be opened
  std::string Command;   // command line as far as it can be read
  std::int32_t PID = 0;
  std::int32_t ParentPID = 0;
  std::int32_t Modules = 0;
  std::int32_t Threads = 0;
  std::int32_t Priority = 0;
  std::int32_t Flags = 0;

  // Asks the process to end.
  void CloseProcess() const;
  // Forces the process to end.
  void KillProcess() const;
};

// One entry per process of the system's process list, in list order. Processes that cannot be opened
// are listed with their name and numbers.
std::vector<TProcess> ListProcesses();

// Full path of a process's executable, or empty when it cannot be read.
std::string ProcessImagePath(std::uint32_t pid);

// Asks the process to end (`force` false) or forces it to end; does not wait and reports nothing.
void EndProcess(std::uint32_t pid, bool force);

inline void TProcess::CloseProcess() const { EndProcess(static_cast<std::uint32_t>(PID), false); }
inline void TProcess::KillProcess() const { EndProcess(static_cast<std::uint32_t>(PID), true); }

// Runs a program or opens a document through the system's shell, detached. `verb` is "open" or
// "runas" (start with administrator rights, after the system's consent prompt). Reports nothing.
void ShellRunVerb(std::string_view verb, std::string_view file, std::string_view parameters,
                  std::string_view directory, bool visible);

}  // namespace platform
