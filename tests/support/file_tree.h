// Files as tests make and read them: whole files, and a folder's tree with every file's bytes.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace testsupport {

// Creates the file (and its folders) with exactly `bytes`; a failed write fails the test.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Every file and folder below `folder`, "/"-separated, with the files' bytes ("<folder>" for a folder,
// "<link>" for a symbolic link); empty when the folder is not there.
std::map<std::string, std::string> FileTree(const std::filesystem::path& folder);

}  // namespace testsupport
