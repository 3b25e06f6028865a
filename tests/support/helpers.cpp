// Test support shared by both systems.
#include <chrono>
#include <filesystem>
#include <thread>

#include "child_process.h"
#include "platform/files.h"
#include "platform/process.h"

namespace testsupport {

std::string HelperProgram(const std::string& name) {
  std::filesystem::path self = platform::ToPath(platform::ExecutablePath());
  return platform::FromPath(self.parent_path() / platform::ToPath(name + platform::FromPath(self.extension())));
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

}  // namespace testsupport
