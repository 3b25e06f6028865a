// Text helpers: case-blind search and replace, integer text, yes/no words, UTF-16 counting.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "vel/text.h"
#include "vel/types.h"

TEST(TextTest, ReplaceIgnoresTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(vel::ReplaceText("a%Var%b%VAR%", "%var%", "x"), "axbx");
  EXPECT_EQ(vel::ReplaceText("a%Var%b%VAR%", "%var%", "x", false), "axb%VAR%");
  EXPECT_EQ(vel::ReplaceText("ÄÖ", "äö", "x"), "ÄÖ");
  // The replacement text is not searched again.
  EXPECT_EQ(vel::ReplaceText("aa", "a", "aa"), "aaaa");
}

TEST(TextTest, IntegerTextFollowsTheSystemConversion) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  } cases[] = {
      {"42", 42},           {"  -7", -7},   {"+5", 5},           {"$ff", 255},
      {"0x10", 16},         {"$FFFFFFFF", -1}, {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt}, {"", std::nullopt},
      {"-", std::nullopt},  {"1 ", std::nullopt}, {"\t1", std::nullopt}, {"1e3", std::nullopt},
      {"$", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(vel::TryStrToInt(c.text), c.value) << c.text;
}

TEST(TextTest, YesNoWords) {
  for (const char* yes : {"true", "TRUE", "True", "1", "-1"}) EXPECT_TRUE(vel::TextToBool(yes)) << yes;
  for (const char* no : {"", "yes", "2", "false", " true", "0"}) EXPECT_FALSE(vel::TextToBool(no)) << no;
  EXPECT_EQ(vel::BoolToText(true), "true");
  EXPECT_EQ(vel::BoolToText(false), "false");
}

TEST(TextTest, Utf16RoundTripAndCount) {
  const std::string text = "Grüße ✓ 🙂";
  EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)), text);
  EXPECT_EQ(platform::Utf16Length(text), 10u);  // the emoji takes two units
  EXPECT_EQ(platform::Utf8ToUtf16("\xC3"), u"\xFFFD");
}

TEST(TextTest, Utf8IsWrittenOneCharacterAtATimeAndCheckedWhole) {
  std::string written;
  for (char32_t c : {U'A', U'ß', U'✓', U'🙂'}) platform::AppendUtf8(written, c);
  EXPECT_EQ(written, "Aß✓🙂");
  EXPECT_EQ(platform::CodePointCount(written), 4u);
  EXPECT_TRUE(platform::IsValidUtf8(written));

  // Each of these could pass for a character of its own (a "/" or a "." in disguise) or runs short.
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAE", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xC3", "\x80", "\xF8\x88\x80\x80\x80"})
    EXPECT_FALSE(platform::IsValidUtf8(bad)) << bad;
}
