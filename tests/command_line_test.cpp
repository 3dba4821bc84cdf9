#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

TEST(ArgumentText, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
  const struct {
    const char* command_line;
    const char* text;
  } cases[] = {
      {"", ""},
      {"L.exe", ""},
      {"L.exe   ", ""},
      {"L.exe \t a", "a"},
      {"L.exe\ta", "a"},
      {"L.exe \"a  b\"  c ", "\"a  b\"  c "},
      {"\"C:\\Program Files\\V\\L.exe\" x y", "x y"},
      {"\"C:\\Program Files\\V\\L.exe\"x y", "x y"},
      {"\"C:\\unterminated x", ""},
      {"\"\" a", "a"},
      {"a\\\"b c", "c"},
      {"C:\\V\\L.exe \t \"a  b\"\t\"\" c\\\"d \\\\\"e f\" ", "\"a  b\"\t\"\" c\\\"d \\\\\"e f\" "},
      {"L.exe \xC3\xA9t\xC3\xA9 \xE6\x97\xA5", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentText(c.command_line), c.text) << c.command_line;
#ifdef _WIN32
    // The system's own parser must see the same arguments after the name.
    const auto parse = [](std::string_view line) {
      const std::u16string utf16 = ToUtf16(line);
      int count = 0;
      wchar_t** words = CommandLineToArgvW(std::wstring(utf16.begin(), utf16.end()).c_str(), &count);
      std::vector<std::wstring> result(words + 1, words + count);
      LocalFree(words);
      return result;
    };
    if (*c.command_line) {
      EXPECT_EQ(parse("x " + std::string(ArgumentText(c.command_line))), parse(c.command_line));
    }
#endif
  }
}

TEST(StartCommandLine, QuotesThePathAndKeepsTheArgumentText) {
  EXPECT_EQ(StartCommandLine("C:\\Program Files\\V\\Velmaris5.exe", ""), "\"C:\\Program Files\\V\\Velmaris5.exe\"");
  EXPECT_EQ(StartCommandLine("C:\\V\\Velmaris5.exe", "a \"b c\"\t "), "\"C:\\V\\Velmaris5.exe\" a \"b c\"\t ");
}

TEST(FillProgramInsert, NamesTheProgramWhereTheSystemSaysPercentOne) {
  EXPECT_EQ(FillProgramInsert("%1 is not a valid Win32 application.", "C:\\V.exe"),
            "C:\\V.exe is not a valid Win32 application.");
  EXPECT_EQ(FillProgramInsert("Bad EXE format for %1.", "C:\\V.exe"), "Bad EXE format for C:\\V.exe.");
  EXPECT_EQ(FillProgramInsert("%1 %10 %2 % %1", "p"), "p %10 %2 % p");
}

TEST(Utf16, RoundTripsWhatWindowsCanHoldAndReplacesWhatItCannot) {
  const std::u16string lossless[] = {
      u"", u"\u00e9t\u00e9 \u65e5\u672c \uffff", u"\U0001F600\U0010FFFF",
      std::u16string(1, char16_t(0xD800)) + u"x",  // lone high surrogate
      std::u16string(1, char16_t(0xDC00)) + std::u16string(1, char16_t(0xD800)),  // reversed pair
  };
  for (const std::u16string& text : lossless) EXPECT_EQ(ToUtf16(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"\u007f\u0080\u07ff\u0800\U00010000"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x90\x80\x80");
  const struct {
    std::string utf8;
    std::u16string utf16;
  } malformed[] = {
      {"\xFF", u"\uFFFD"},
      {"a\x80z", u"a\uFFFDz"},
      {"\xC3", u"\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong "/"
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xE6\x97", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : malformed) EXPECT_EQ(ToUtf16(c.utf8), c.utf16) << c.utf8;
}

}  // namespace
