// Registry key paths as lists of names, compared as the store compares them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

using Segments = std::vector<std::string>;

// The names of a "\"-separated path; empty names (leading, trailing or doubled "\") are dropped.
Segments Split(std::string_view path);
std::string Join(const Segments& segments);
Segments Concat(Segments a, const Segments& b);
// Whether `path` is `of` or one of its parents, names compared without regard to letter case.
bool IsPrefixOf(const Segments& path, const Segments& of);
// Sorts names as the database sorts them (A-Z folded as SQLite's NOCASE folds it).
bool NameLess(std::string_view a, std::string_view b);

}  // namespace platform
