// How the launcher's file listing matches and orders names, the same on
// every platform, so the same main program is chosen everywhere.
#pragma once

#include <string>
#include <string_view>

// The unit as Windows and NTFS upper-case it when they compare names.
char16_t Upcase(char16_t unit);

// Windows-style wildcard match of a UTF-8 name. Characters match without
// regard to case (Upcase); "?" matches one character, except that a run of
// "?" directly before "." also matches fewer characters, down to none, and
// never "."; a "*" that ends the pattern matches whatever rest the name has.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Compares names as NTFS orders them, by their UTF-16 units, each
// upper-cased: less than, equal to or greater than zero.
int CompareNtfs(std::string_view a, std::string_view b);

// NTFS order, then bytes: the order in which an NTFS listing yields names,
// made strict for POSIX folders that hold names NTFS calls equal.
bool NtfsLess(std::string_view a, std::string_view b);
