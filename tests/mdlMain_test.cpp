#include "mdlMain.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace {

const std::string kList = "list:C:\\Program Files\\Velmaris|Velmaris";
const std::string kStart = "start:C:\\Program Files\\Velmaris\\";
const std::string kErrorBox = "box:48:Velmaris:Error launching Velmaris main program.\r\n";

// Only the paths that end in order release the icon form; a failure does not.
TEST(Main, EveryPathShowsAtMostOneBoxAndEnds) {
  const struct {
    std::optional<std::string> app_vers;
    std::vector<std::string> files;
    platform::Arguments arguments;
    std::string listing_error, start_error;
    std::vector<std::string> events;
  } cases[] = {
      {"5", {"Velmaris5.exe", "Velmaris6.exe", "Velmaris5b.exe", "Velmaris5.txt"}, {"a b", "\"q\"", ""}, "", "",
       {kList + "5????.exe", kStart + "Velmaris5b.exe|a b|\"q\"|", "icon:load", "icon:free", "end:0"}},
      {std::nullopt, {"Velmaris0.exe", "Velmaris5.exe"}, {}, "", "",
       {kList + "0????.exe", kStart + "Velmaris0.exe", "icon:load", "icon:free", "end:0"}},
      {"-3", {"Velmaris-3x.exe"}, {}, "", "",
       {kList + "-3????.exe", kStart + "Velmaris-3x.exe", "icon:load", "icon:free", "end:0"}},
      {"5", {"Velmaris6.exe", "Velmaris512345.exe"}, {"x"}, "", "",
       {kList + "5????.exe", "beep", "box:48:Velmaris:Velmaris main program not found", "icon:load", "icon:free",
        "end:1"}},
      {"5", {"Velmaris5.exe"}, {}, "", "Access is denied.",
       {kList + "5????.exe", "beep", kErrorBox + "Access is denied.", "end:2"}},
      {"5", {}, {}, "The network path was not found.", "",
       {kList + "5????.exe", "beep", kErrorBox + "The network path was not found.", "end:2"}},
      {"32767.5", {"Velmaris32767.exe"}, {}, "", "", {"beep", kErrorBox + "Overflow", "end:2"}},
  };
  for (const auto& c : cases) {
    Fake() = FakePlatform{.arguments = c.arguments, .app_vers = c.app_vers, .files = c.files,
                          .listing_error = c.listing_error, .start_error = c.start_error, .events = {}};
    EXPECT_THROW(mdlMain::Main(), ProcessEnded);
    EXPECT_EQ(Fake().events, c.events);
  }
}

}  // namespace
