#include "command_line.h"
#include "error_text.h"
#include "windows_path.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

TEST(ArgumentText, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
  const std::pair<const char*, const char*> cases[] = {  // command line, argument text
      {"", ""},         {"L.exe", ""},    {"L.exe   ", ""},  {"L.exe \t a", "a"},  {"L.exe\ta", "a"},
      {"\"\" a", "a"},  {"a\\\"b c", "c"}, {"L.exe \"a  b\"  c ", "\"a  b\"  c "},
      {"\"C:\\Program Files\\V\\L.exe\" x y", "x y"}, {"\"C:\\Program Files\\V\\L.exe\"x y", "x y"},
      {"\"C:\\unterminated x", ""},       {"L.exe \xC3\xA9t\xC3\xA9 \xE6\x97\xA5", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5"},
      {"C:\\V\\L.exe \t \"a  b\"\t\"\" c\\\"d \\\\\"e f\" ", "\"a  b\"\t\"\" c\\\"d \\\\\"e f\" "},
  };
  for (const auto& [command_line, text] : cases) {
    EXPECT_EQ(ArgumentText(command_line), text) << command_line;
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
    EXPECT_TRUE(!*command_line || parse("x " + std::string(ArgumentText(command_line))) == parse(command_line));
#endif
  }
}

TEST(StartCommandLine, QuotesThePathAndKeepsTheArgumentText) {
  EXPECT_EQ(StartCommandLine("C:\\Program Files\\V\\Velmaris5.exe", ""), "\"C:\\Program Files\\V\\Velmaris5.exe\"");
  EXPECT_EQ(StartCommandLine("C:\\V\\Velmaris5.exe", "a \"b c\"\t "), "\"C:\\V\\Velmaris5.exe\" a \"b c\"\t ");
}

TEST(SystemErrorText, TheSystemsWordsWithoutTheirLineEndAndTheProgramForItsName) {
  const struct { std::string_view message; int code; const char *program, *text; } cases[] = {
      {"Access is denied. \r\n", 5, "", "Access is denied."},
      {"%1 is not a valid Win32 application.\r\n", 193, "C:\\V.exe", "C:\\V.exe is not a valid Win32 application."},
      {"%1 %19x - %10 %2 % %1", 0, "p", "p %19x - %10 %2 % p"},  // "%1" alone is the program
      {std::string_view("x %15").substr(0, 4), 0, "p", "x p"},
      {"%1 of none", 0, "", "%1 of none"},
      {"\r\n", 433, "C:\\V.exe", "Error 433"},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemErrorText(c.message, c.code, c.program), c.text) << c.message;
}

TEST(LongPath, PrefixesOnlyPathsTheSystemCutsShort) {
  const std::wstring at_limit = L"C:\\" + std::wstring(257, L'a'), share = L"\\\\server\\" + std::wstring(260, L's');
  EXPECT_EQ(LongPath(at_limit.substr(1)), at_limit.substr(1));  // 259 units and the terminator fit
  EXPECT_EQ(LongPath(at_limit), L"\\\\?\\" + at_limit);
  EXPECT_EQ(LongPath(share), L"\\\\?\\UNC\\server\\" + std::wstring(260, L's'));
  EXPECT_EQ(LongPath(L"\\\\?\\" + at_limit), L"\\\\?\\" + at_limit);
}
