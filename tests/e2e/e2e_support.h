// What the end-to-end tests share: the record's key, the installer program, reading files and output.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "child_process.h"
#include "vel/files.h"

namespace e2e {

inline const std::string d(1, vel::PathDelim);
inline const std::string kRecord = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarrow Studio";

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Whether the output holds this line exactly.
inline bool HasLine(const std::string& output, const std::string& line) {
  std::istringstream in(output);
  for (std::string l; std::getline(in, l);)
    if (l == line) return true;
  return false;
}

inline std::string SetupProgram() { return testsupport::HelperProgram("QuarrowStudioSetup"); }

}  // namespace e2e
