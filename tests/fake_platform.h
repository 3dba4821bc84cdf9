// A scripted platform that records what the launcher asks of it, in order:
// "beep", "box:<style>:<title>:<prompt>", "list:<folder>|<pattern>",
// "start:<path>|<arg>|<arg>", "icon:load", "icon:free", "end:<status>".
// Ending the process throws ProcessEnded, which unwinds back to the test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform.h"

struct ProcessEnded {};

struct FakePlatform {
  std::optional<std::string> app_vers;  // in C:\V\version.ini; C:\V is the launcher's folder
  std::vector<std::string> files, arguments;
  std::string start_error;
  std::vector<std::string> events;
};

FakePlatform& Fake();
