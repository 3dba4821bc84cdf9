#include "error_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

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

}  // namespace
