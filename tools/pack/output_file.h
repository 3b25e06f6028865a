// A file written under a temporary name and put in place only once it is whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>

namespace pack {

// A failed or interrupted run leaves no half-written file that a build would take for a finished one.
class TOutputFile {
 public:
  // std::runtime_error naming the file when it cannot be created.
  explicit TOutputFile(std::filesystem::path path);
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  // Removes the temporary file unless Commit ran.
  ~TOutputFile();

  void Write(std::span<const unsigned char> data);
  // Writes over bytes already written, at `offset` from the start.
  void WriteAt(std::uint64_t offset, std::span<const unsigned char> data);
  std::uint64_t Position() const { return position_; }
  // Closes the file and moves it over `path`.
  void Commit();

 private:
  std::filesystem::path path_, temporary_;
  std::ofstream out_;
  std::uint64_t position_ = 0;
  bool committed_ = false;
};

}  // namespace pack
