// A scripted platform that records what the launcher asks of it. Ending the
// process throws ProcessEnded, which unwinds back to the test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform.h"

struct ProcessEnded {};

struct FakePlatform {
  std::string launcher_folder = "C:\\Program Files\\Velmaris";
  platform::Arguments arguments;
  std::optional<std::string> app_vers;  // in <launcher folder>\version.ini
  std::vector<std::string> files;       // in the launcher folder, in listing order
  std::string listing_error, start_error;
  // In order: "beep", "box:<style>:<title>:<prompt>", "list:<folder>|<pattern>",
  // "start:<path>|<arg>|<arg>", "icon:load", "icon:free", "end:<status>".
  std::vector<std::string> events;
};

// The fake the platform functions use; reset before each test.
FakePlatform& Fake();
