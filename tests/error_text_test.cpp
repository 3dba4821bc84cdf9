#include "error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FillProgramInsert, PutsThePathForTheProgramsNameAlone) {
  EXPECT_EQ(FillProgramInsert("%1 is not a valid Win32 application.", "C:\\V.exe"),
            "C:\\V.exe is not a valid Win32 application.");
  EXPECT_EQ(FillProgramInsert("%1 %10 %2 % %1", "p"), "p %10 %2 % p");
}

}  // namespace
