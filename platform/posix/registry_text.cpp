// String and number values of the registry, coded as the system codes them.
#include "registry_text.h"

#include "platform/text.h"

namespace platform {
namespace {

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 * text.size() + 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

}  // namespace

RegValue StringValue(RegType type, std::string_view utf8) { return {type, Utf16Bytes(Utf8ToUtf16(utf8))}; }

RegValue DWordValue(std::uint32_t value) {
  RegValue v{RegType::DWord, std::vector<std::uint8_t>(4)};
  for (int i = 0; i < 4; ++i) v.data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  return v;
}

std::optional<std::string> StorableText(const RegValue& value) {
  if (value.type != RegType::String && value.type != RegType::ExpandString) return std::nullopt;
  const std::vector<std::uint8_t>& d = value.data;
  if (d.size() < 2 || d.size() % 2 != 0) return std::nullopt;
  std::u16string units;
  for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
    char16_t c = static_cast<char16_t>(d[i] | (d[i + 1] << 8));
    if (c == 0) return std::nullopt;
    units += c;
  }
  if (d[d.size() - 2] != 0 || d[d.size() - 1] != 0) return std::nullopt;
  std::string text = Utf16ToUtf8(units);
  if (Utf8ToUtf16(text) != units) return std::nullopt;
  return text;
}

}  // namespace platform
