// How the launcher's file listing matches and orders names, the same on
// every platform, so the same main program is chosen everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The unit as Windows and NTFS upper-case it when they compare names.
char16_t Upcase(char16_t unit);

// Windows-style wildcard match of a UTF-8 name. Characters match without
// regard to case (Upcase); "?" matches one character, except that a run of
// "?" directly before "." also matches fewer characters, down to none, and
// never ".".
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// What NTFS orders names by: their UTF-16 units, each upper-cased.
std::u16string NtfsKey(std::string_view name);

// The name that an NTFS listing of `names` yields last: the greatest by
// NtfsKey, then by bytes; "" when there are none.
std::string LastInNtfsOrder(const std::vector<std::string>& names);
