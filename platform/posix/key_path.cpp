// Registry key paths: split, joined, compared.
#include "key_path.h"

#include <algorithm>

#include "platform/text.h"

namespace platform {
namespace {

// Letter case is folded as SQLite's NOCASE folds it (A-Z only), so that names merged in memory and
// names matched by the database agree.
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

Segments Split(std::string_view path) {
  Segments segments;
  while (!path.empty()) {
    std::size_t end = path.find('\\');
    std::string_view segment = path.substr(0, end);
    if (!segment.empty()) segments.emplace_back(segment);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return segments;
}

std::string Join(const Segments& segments) {
  std::string path;
  for (const std::string& s : segments) {
    if (!path.empty()) path += '\\';
    path += s;
  }
  return path;
}

Segments Concat(Segments a, const Segments& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bool IsPrefixOf(const Segments& path, const Segments& of) {
  if (path.size() > of.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (!SameAsciiText(path[i], of[i])) return false;
  return true;
}

}  // namespace platform
