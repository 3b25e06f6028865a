// UTF-8 and UTF-16: the one place where text changes encoding, is stepped through or counted.
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

// Stepping through UTF-8: a continuation byte never starts a character, so a cut before any other
// byte falls between characters.
inline bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }
// The number of characters (code points), counted by the bytes that start one.
std::size_t CodePointCount(std::string_view text);
void AppendUtf8(std::string& out, char32_t codePoint);
// Well-formed UTF-8 only: no overlong forms (which could spell a separator or a dot in disguise), no
// surrogates, nothing past U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

// Equal when the letter case of A-Z is ignored (names of variables, INI keys, registry names).
bool SameAsciiText(std::string_view a, std::string_view b);

}  // namespace platform
