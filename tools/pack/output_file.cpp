// Writing a file beside its place and renaming it there when done.
#include "tools/pack/output_file.h"

#include <stdexcept>
#include <system_error>

namespace pack {

TOutputFile::TOutputFile(std::filesystem::path path) : path_(std::move(path)) {
  temporary_ = path_;
  temporary_ += ".part";
  out_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!out_) throw std::runtime_error("cannot create " + temporary_.string());
}

TOutputFile::~TOutputFile() {
  if (committed_) return;
  out_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void TOutputFile::Write(std::span<const unsigned char> data) {
  out_.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out_) throw std::runtime_error("cannot write " + temporary_.string());
  position_ += data.size();
}

void TOutputFile::WriteAt(std::uint64_t offset, std::span<const unsigned char> data) {
  out_.seekp(static_cast<std::streamoff>(offset));
  out_.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  out_.seekp(static_cast<std::streamoff>(position_));
  if (!out_) throw std::runtime_error("cannot write " + temporary_.string());
}

void TOutputFile::Commit() {
  out_.close();
  if (!out_) throw std::runtime_error("cannot write " + temporary_.string());
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) throw std::runtime_error("cannot replace " + path_.string() + ": " + error.message());
  committed_ = true;
}

}  // namespace pack
