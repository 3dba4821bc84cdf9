#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

using namespace std::string_literals;

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
    if (*command_line) EXPECT_EQ(parse("x " + std::string(ArgumentText(command_line))), parse(command_line));
#endif
  }
}

TEST(StartCommandLine, QuotesThePathAndKeepsTheArgumentText) {
  EXPECT_EQ(StartCommandLine("C:\\Program Files\\V\\Velmaris5.exe", ""), "\"C:\\Program Files\\V\\Velmaris5.exe\"");
  EXPECT_EQ(StartCommandLine("C:\\V\\Velmaris5.exe", "a \"b c\"\t "), "\"C:\\V\\Velmaris5.exe\" a \"b c\"\t ");
}

}  // namespace
