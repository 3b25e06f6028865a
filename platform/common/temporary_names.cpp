// Names for files written beside their target and renamed over it, unique to the process and the write.
#include <atomic>
#include <string>

#include "platform/files.h"
#include "platform/process.h"

namespace platform {
namespace {

// The process's id and a count of its own: "4711-3".
std::string NextTag() {
  static std::atomic<unsigned> counter{0};
  return std::to_string(CurrentProcessId()) + "-" + std::to_string(++counter);
}

// A free name: one left behind by an ended process that had the same id is stepped over, not reused.
template <typename Make>
std::filesystem::path FirstFree(Make make) {
  for (;;) {
    std::filesystem::path candidate = make(NextTag());
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ec))) return candidate;
  }
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// "4711-3" as NextTag makes it.
bool IsTag(std::string_view text) {
  const std::size_t dash = text.find('-');
  return dash != std::string_view::npos && AllDigits(text.substr(0, dash)) && AllDigits(text.substr(dash + 1));
}

}  // namespace

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::string_view suffix) {
  return FirstFree([&](const std::string& tag) {
    std::filesystem::path candidate = target;
    candidate += "." + tag + std::string(suffix);
    return candidate;
  });
}

std::filesystem::path TemporaryNameIn(const std::filesystem::path& folder, std::string_view prefix,
                                      std::string_view suffix) {
  return FirstFree([&](const std::string& tag) { return folder / (std::string(prefix) + tag + std::string(suffix)); });
}

bool IsTemporaryNameFor(std::string_view name, std::string_view target, std::string_view suffix) {
  if (name.size() <= target.size() + suffix.size() || !name.starts_with(target) || !name.ends_with(suffix))
    return false;
  std::string_view middle = name.substr(target.size(), name.size() - target.size() - suffix.size());
  return middle.starts_with('.') && IsTag(middle.substr(1));
}

bool IsTemporaryNameIn(std::string_view name, std::string_view prefix, std::string_view suffix) {
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
    return false;
  return IsTag(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
}

}  // namespace platform
