// UTF-8 / UTF-16 conversion: the one place where text changes encoding or is counted in UTF-16 units.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Invalid sequences become U+FFFD rather than failing: text from the system is shown, never rejected.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Length of the text in UTF-16 code units, the unit in which positions and lengths are counted.
std::size_t Utf16Length(std::string_view text);

// The text with every line end (CR LF, a lone CR or a lone LF) written as this system writes them:
// LF on Linux, CR LF on Windows.
std::string NativeLineBreaks(std::string_view text);

// Equal when the letter case of A-Z is ignored (names of variables, INI keys, registry names).
bool SameAsciiText(std::string_view a, std::string_view b);

}  // namespace platform
