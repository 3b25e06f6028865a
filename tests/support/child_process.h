// Test support: start another program of this build, capture what it prints, wait for it or end it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error, in the order written, lines ending in LF
};

// Runs `program` with `args`, waits for it and returns its exit code and output.
RunResult Run(const std::string& program, const std::vector<std::string>& args);

// Runs `program` from the system's command shell (sh -c on Linux, cmd /c on Windows), so that the
// program's parent is a shell as when a user types the command; answers the program's exit code.
RunResult RunFromShell(const std::string& program, const std::vector<std::string>& args);

// A program started without waiting; ended (forcibly) and waited for when destroyed.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  std::uint32_t Pid() const;
  bool Running();
  // Waits for the program to end and returns its exit code.
  int Wait();
  void Kill();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The folder holding the running test program, where the build puts its helper programs.
std::string ProgramFolder();
// Full path of a helper program built beside the test program (with the system's program suffix).
std::string HelperProgram(const std::string& name);

// Polls `done` until it answers true or ten seconds have passed; answers its last answer.
bool WaitFor(const std::function<bool()>& done);

// A new empty folder for one test, removed by the caller (or left in the build's temporary area).
std::string MakeTempFolder();

}  // namespace testsupport
