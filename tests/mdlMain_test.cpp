#include "mdlMain.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

// Only the paths that end in order release the icon form; a failure does not.
TEST(Main, EveryPathShowsAtMostOneBoxAndEnds) {
  const std::string error = "box:48:Velmaris:Error launching Velmaris main program.\r\n";
  const FakePlatform cases[] = {
      {"5", {"Velmaris5.exe", "Velmaris6.exe", "Velmaris5b.exe"}, {"a b", "\"q\"", ""}, "",
       {"list:C:\\V|Velmaris5????.exe", "start:C:\\V\\Velmaris5b.exe|a b|\"q\"|", "icon:load", "icon:free", "end:0"}},
      {std::nullopt, {"Velmaris0.exe", "Velmaris5.exe"}, {}, "",
       {"list:C:\\V|Velmaris0????.exe", "start:C:\\V\\Velmaris0.exe", "icon:load", "icon:free", "end:0"}},
      {"-3", {"Velmaris3.exe"}, {"x"}, "",
       {"list:C:\\V|Velmaris-3????.exe", "beep", "box:48:Velmaris:Velmaris main program not found", "icon:load",
        "icon:free", "end:1"}},
      {"5", {"Velmaris5.exe"}, {}, "Denied.", {"list:C:\\V|Velmaris5????.exe", "beep", error + "Denied.", "end:2"}},
      {"32767.5", {"Velmaris32767.exe"}, {}, "", {"beep", error + "Overflow", "end:2"}},
  };
  for (const FakePlatform& c : cases) {
    Fake() = FakePlatform{c.app_vers, c.files, c.arguments, c.start_error, {}};
    EXPECT_THROW(mdlMain::Main(), ProcessEnded);
    EXPECT_EQ(Fake().events, c.events);
  }
}

}  // namespace
