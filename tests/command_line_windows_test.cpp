// Checks ArgumentText against the system's own parser: the arguments it
// keeps must be those that CommandLineToArgvW sees after the program name.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "text.h"

namespace {

std::vector<std::wstring> Parse(std::string_view command_line) {
  const std::u16string utf16 = ToUtf16(command_line);
  const std::wstring wide(utf16.begin(), utf16.end());
  int count = 0;
  wchar_t** words = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::wstring> result(words, words + count);
  LocalFree(words);
  return result;
}

TEST(ArgumentText, AgreesWithCommandLineToArgvW) {
  const char* const cases[] = {
      "L.exe",
      "L.exe a b",
      "\"C:\\Program Files\\V\\L.exe\" a b",
      "\"C:\\Program Files\\V\\L.exe\"a b",
      "C:\\V\\L.exe \t \"a  b\"\t\"\" c\\\"d \\\\\"e f\" ",
      "C:\\V\\L.exe\ta",
      "a\\\"b c",
      "\"unterminated x",
      "\"\" a",
      "L.exe \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC",
  };
  for (const char* command_line : cases) {
    std::vector<std::wstring> expected = Parse(command_line);
    std::vector<std::wstring> actual = Parse("x " + std::string(ArgumentText(command_line)));
    expected.erase(expected.begin());
    actual.erase(actual.begin());
    EXPECT_EQ(actual, expected) << command_line;
  }
}

}  // namespace
