// Inflating raw deflate streams, whole in one call or piece by piece, and the CRC-32 that checks the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace installer {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

// Inflates a whole raw deflate stream in one call: libdeflate where the build has it (several times
// zlib's speed), zlib otherwise. Succeeds only when the input is used up exactly and fills the output
// exactly; on any other outcome a caller that must name the fault streams the data again.
class TWholeInflater {
 public:
  TWholeInflater();
  ~TWholeInflater();
  TWholeInflater(const TWholeInflater&) = delete;
  TWholeInflater& operator=(const TWholeInflater&) = delete;

  bool Inflate(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize);

 private:
  void* decompressor_ = nullptr;  // libdeflate's, where the build has it
};

// A raw deflate stream inflated piece by piece through zlib, for data too large to hold whole.
class TStreamInflater {
 public:
  enum class TResult {
    Progress,   // output was made or input taken; call again
    End,        // the stream is complete
    Truncated,  // no progress is possible: the input ended before the stream did
    Damaged,    // the data is no valid deflate stream; Fault() says why
  };

  TStreamInflater();
  ~TStreamInflater();
  TStreamInflater(const TStreamInflater&) = delete;
  TStreamInflater& operator=(const TStreamInflater&) = delete;

  // False when zlib could not be started (out of memory).
  bool Started() const { return started_; }
  // The input still waiting to be inflated.
  std::size_t Pending() const;
  // Hands over the next input; what came before must be used up. At most 4 GiB - 1 at a time.
  void Feed(const unsigned char* data, std::size_t size);
  // Inflates into `out` as much as it holds (at most 4 GiB - 1); `made` says how much that was.
  TResult Inflate(unsigned char* out, std::size_t size, std::size_t& made);
  std::string Fault() const { return fault_; }

 private:
  struct TState;
  std::unique_ptr<TState> state_;
  bool started_ = false;
  std::string fault_;
};

}  // namespace installer
