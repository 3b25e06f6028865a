// Text helpers of the utility library.
#include "vel/text.h"

#include <limits>

#include "platform/text.h"

namespace vel {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

bool SameText(std::string_view a, std::string_view b) { return platform::SameAsciiText(a, b); }

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i)
    if (SameText(text.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

bool ContainsText(std::string_view text, std::string_view needle) {
  return FindText(text, needle) != std::string_view::npos;
}

std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to, bool all) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = FindText(text, from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
    if (!all) break;
  }
  out.append(text.substr(pos));
  return out;
}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16, ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && Lower(c) >= 'a' && Lower(c) <= 'f')
      digit = Lower(c) - 'a' + 10;
    else
      return std::nullopt;
    value = value * base + digit;
    if (value > std::int64_t(1) << 32) return std::nullopt;
  }
  if (negative) value = -value;
  // Hexadecimal text names the bit pattern, so $FFFFFFFF is -1 as the system's conversion reads it.
  if (base == 16 && !negative && value <= std::numeric_limits<std::uint32_t>::max())
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace vel
