// Text helpers: letter case, searching and replacing without regard to case, number conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vel {

// Letter case of A-Z only; other characters, UTF-8 sequences included, stay as they are.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
// Position of `needle` in `text` ignoring the letter case of A-Z, or npos.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0);
bool ContainsText(std::string_view text, std::string_view needle);
// Replaces every occurrence (or only the first), ignoring the letter case of A-Z.
std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                        bool all = true);

// A signed 32-bit integer: optional leading blanks, an optional sign, decimal digits; a leading "$"
// or "0x" means hexadecimal. Nothing else is accepted, trailing characters included.
std::optional<std::int32_t> TryStrToInt(std::string_view text);

}  // namespace vel
