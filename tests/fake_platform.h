// A scripted platform that records what the launcher asks of it. Ending the
// process throws ProcessEnded, which unwinds back to the test.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

struct ProcessEnded {
  int status;
};

struct FakePlatform {
  std::string launcher_folder = "C:/Apps/Velmaris";
  platform::Arguments arguments;
  std::map<std::string, std::string> profile_values;  // path -> AppVers value
  std::vector<std::string> files;                     // the folder's listing order
  std::optional<std::string> listing_error;
  std::optional<std::string> start_error;

  // What happened, in order: "beep", "box:<style>:<title>:<prompt>",
  // "start:<path>|<arg>|<arg>", "icon:load", "icon:free", "end:<status>".
  std::vector<std::string> events;
  std::vector<std::string> listed_folders;
  std::vector<std::string> listed_patterns;
};

// The fake the platform functions use; reset before each test.
FakePlatform& Fake();
