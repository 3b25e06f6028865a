// Files as tests make and read them.
#include "file_tree.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/files.h"

namespace testsupport {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << platform::FromPath(path);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> FileTree(const std::filesystem::path& folder) {
  std::map<std::string, std::string> result;
  if (!std::filesystem::exists(folder)) return result;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    std::string name = platform::FromPath(item.path().lexically_relative(folder));
    for (char& c : name)
      if (c == '\\') c = '/';
    result[name] = item.is_symlink() ? "<link>" : item.is_directory() ? "<folder>" : ReadFile(item.path());
  }
  return result;
}

}  // namespace testsupport
