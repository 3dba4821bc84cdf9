#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "text.h"

namespace {

TEST(ArgumentText, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
  const struct {
    const char* command_line;
    const char* text;
  } cases[] = {
      {"", ""},
      {"L.exe", ""},
      {"L.exe   ", ""},
      {"L.exe a b", "a b"},
      {"L.exe \t a", "a"},
      {"L.exe\ta", "a"},
      {"L.exe \"a  b\"  c ", "\"a  b\"  c "},
      {"\"C:\\Program Files\\V\\L.exe\" x y", "x y"},
      {"\"C:\\Program Files\\V\\L.exe\"x y", "x y"},
      {"\"C:\\unterminated x", ""},
      {"\"\" a", "a"},
      {"a\\\"b c", "c"},
      {"L.exe \xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(ArgumentText(c.command_line), c.text) << c.command_line;
}

TEST(StartCommandLine, QuotesThePathAndKeepsTheArgumentText) {
  EXPECT_EQ(StartCommandLine("C:\\Program Files\\V\\Velmaris5.exe", ""),
            "\"C:\\Program Files\\V\\Velmaris5.exe\"");
  EXPECT_EQ(StartCommandLine("C:\\V\\Velmaris5.exe", "a \"b c\"\t "),
            "\"C:\\V\\Velmaris5.exe\" a \"b c\"\t ");
}

TEST(Utf16, RoundTripsWhatWindowsCanHold) {
  const std::u16string cases[] = {
      u"", u"plain", u"\u00e9t\u00e9 \u65e5\u672c", u"\U0001F600",
      std::u16string(1, char16_t(0xD800)) + u"x",       // lone high surrogate
      u"x" + std::u16string(1, char16_t(0xDC00)),        // lone low surrogate
      std::u16string(1, char16_t(0xDC00)) + std::u16string(1, char16_t(0xD800)),  // reversed pair
  };
  for (const std::u16string& text : cases) EXPECT_EQ(ToUtf16(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"\u00e9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(Utf16, MalformedUtf8BecomesReplacementCharacters) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"\xFF", u"\uFFFD"},
      {"a\x80z", u"a\uFFFDz"},
      {"\xC3", u"\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong "/"
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xE6\x97", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf16(c.utf8), c.utf16) << c.utf8;
}

}  // namespace
