// How the launcher's file listing matches and orders names, the same on
// every platform, so the same main program is chosen everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Windows-style wildcard match of a UTF-8 name. Letters match without regard
// to case; "?" matches one character, except that a run of "?" directly
// before "." also matches fewer characters, down to none, and never ".".
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// NTFS order: letters a to z taken as A to Z, then character codes compared.
bool NtfsNameLess(std::string_view a, std::string_view b);

void SortNtfs(std::vector<std::string>& names);
