#include "error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FillProgramInsert, PutsThePathForTheProgramsNameAlone) {
  EXPECT_EQ(FillProgramInsert("%1 is not a valid Win32 application.", "C:\\V.exe"),
            "C:\\V.exe is not a valid Win32 application.");
  EXPECT_EQ(FillProgramInsert("%1 %10 %19 %2 % %1", "p"), "p %10 %19 %2 % p");
  EXPECT_EQ(FillProgramInsert(std::string_view("x %15").substr(0, 4), "p"), "x p");  // "%1" at the end
}

TEST(SystemErrorText, TheSystemsWordsWithoutTheirLineEnd) {
  EXPECT_EQ(SystemErrorText("Access is denied. \r\n", 5, ""), "Access is denied.");
  EXPECT_EQ(SystemErrorText("%1 is no program.\r\n", 193, "C:\\V.exe"), "C:\\V.exe is no program.");
  EXPECT_EQ(SystemErrorText("\r\n", 433, "C:\\V.exe"), "Error 433");
}

}  // namespace
