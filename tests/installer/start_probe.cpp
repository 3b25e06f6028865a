// A stand-in for the installed application: started, it leaves a note beside itself naming the folder
// it was started in, so a test sees that, and where, the installer started it.
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/process.h"

int main() {
  namespace fs = std::filesystem;
  const fs::path folder = platform::ToPath(platform::ExecutablePath()).parent_path();
  // Written aside and renamed, so the test never reads half a note.
  {
    std::ofstream note(folder / "started.part");
    note << platform::FromPath(fs::current_path());
  }
  fs::rename(folder / "started.part", folder / "started.txt");
  return 0;
}
