#include "mdlMain.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace {

const std::string kFolder = "C:\\Program Files\\Velmaris";
const std::string kIni = kFolder + "\\version.ini";
const std::string kNotFoundBox = "box:48:Velmaris:Velmaris main program not found";
const std::string kErrorBox = "box:48:Velmaris:Error launching Velmaris main program.\r\n";

struct Scenario {
  const char* name;
  std::optional<std::string> app_vers;
  std::vector<std::string> files;
  platform::Arguments arguments;
  std::optional<std::string> listing_error;
  std::optional<std::string> start_error;
  std::vector<std::string> events;
  std::vector<std::string> patterns;  // what was listed
};

const Scenario kScenarios[] = {
    {"starts the last listed match with the arguments",
     "5", {"Velmaris5.exe", "Velmaris6.exe", "Velmaris5b.exe", "Velmaris5.txt"},
     {"a b", "\"q\"", ""}, {}, {},
     {"start:" + kFolder + "\\Velmaris5b.exe|a b|\"q\"|", "icon:load", "icon:free", "end:0"},
     {"Velmaris5????.exe"}},
    {"no arguments are handed on as none",
     "5", {"Velmaris5.exe"}, {}, {}, {},
     {"start:" + kFolder + "\\Velmaris5.exe", "icon:load", "icon:free", "end:0"},
     {"Velmaris5????.exe"}},
    {"no version.ini means version 0",
     std::nullopt, {"Velmaris0.exe", "Velmaris5.exe"}, {}, {}, {},
     {"start:" + kFolder + "\\Velmaris0.exe", "icon:load", "icon:free", "end:0"},
     {"Velmaris0????.exe"}},
    {"negative version",
     "-3", {"Velmaris-3x.exe"}, {}, {}, {},
     {"start:" + kFolder + "\\Velmaris-3x.exe", "icon:load", "icon:free", "end:0"},
     {"Velmaris-3????.exe"}},
    {"nothing matches: beep, then one box",
     "5", {"Velmaris6.exe", "Velmaris512345.exe"}, {"x"}, {}, {},
     {"beep", kNotFoundBox, "icon:load", "icon:free", "end:1"},
     {"Velmaris5????.exe"}},
    {"refused start: beep, then the error box with the system's words",
     "5", {"Velmaris5.exe"}, {}, {}, "Access is denied.",
     {"beep", kErrorBox + "Access is denied.", "end:2"},
     {"Velmaris5????.exe"}},
    {"failed listing",
     "5", {}, {}, "The network path was not found.", {},
     {"beep", kErrorBox + "The network path was not found.", "end:2"},
     {"Velmaris5????.exe"}},
    {"overflow: no search at all",
     "32767.5", {"Velmaris32767.exe"}, {}, {}, {},
     {"beep", kErrorBox + "Overflow", "end:2"},
     {}},
};

// Only the paths that end in order release the icon form; a failure does not.
TEST(Main, EveryPathShowsAtMostOneBoxAndEnds) {
  for (const Scenario& s : kScenarios) {
    Fake() = FakePlatform();
    Fake().launcher_folder = kFolder;
    if (s.app_vers) Fake().profile_values[kIni] = *s.app_vers;
    Fake().files = s.files;
    Fake().arguments = s.arguments;
    Fake().listing_error = s.listing_error;
    Fake().start_error = s.start_error;
    try {
      mdlMain::Main();
    } catch (const ProcessEnded&) {
    }
    EXPECT_EQ(Fake().events, s.events) << s.name;
    EXPECT_EQ(Fake().listed_patterns, s.patterns) << s.name;
    for (const std::string& folder : Fake().listed_folders) EXPECT_EQ(folder, kFolder) << s.name;
  }
}

}  // namespace
