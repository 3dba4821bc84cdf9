#include "file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MatchesWildcard, VersionPatterns) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"Velmaris5????.exe", "Velmaris5.exe", true},
      {"Velmaris5????.exe", "Velmaris5a.exe", true},
      {"Velmaris5????.exe", "Velmaris51234.exe", true},
      {"Velmaris5????.exe", "Velmaris51ab.exe", true},
      {"Velmaris5????.exe", "VELMARIS5.EXE", true},
      {"Velmaris5????.exe", "velmaris5B.Exe", true},
      {"Velmaris5????.exe", "Velmaris5\xC3\xA9\xC3\xA9.exe", true},  // two characters
      {"Velmaris5????.exe", "Velmaris5\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.exe", false},
      {"Velmaris5????.exe", "Velmaris512345.exe", false},
      {"Velmaris5????.exe", "Velmaris5.txt", false},
      {"Velmaris5????.exe", "Velmaris5.a.exe", false},
      {"Velmaris5????.exe", "Velmaris5.exe.bak", false},
      {"Velmaris5????.exe", "Velmaris5.ex", false},
      {"Velmaris5????.exe", "Velmaris6.exe", false},
      {"Velmaris5????.exe", "xVelmaris5.exe", false},
      {"Velmaris5????.exe", "Velmaris5", false},
      {"Velmaris-3????.exe", "Velmaris-3.exe", true},
      {"Velmaris-3????.exe", "Velmaris3.exe", false},
      {"Velmaris0????.exe", "Velmaris0beta.exe", true},
      // Elsewhere "?" is exactly one character, "." included.
      {"a?c", "a.c", true},
      {"a?c", "ac", false},
      {"a??", "ab", false},
      {"a??", "a\xE2\x82\xAC\xE2\x82\xAC", true},
      {"", "", true},
      {"", "a", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

TEST(SortNtfs, UppercaseLettersThenCodes) {
  const struct {
    std::vector<std::string> names;
    std::vector<std::string> sorted;
  } cases[] = {
      // "_" lies after the capital letters, so after every letter.
      {{"Velmaris5_.exe", "velmaris5b.exe", "Velmaris5.exe", "Velmaris5A.exe", "Velmaris51.exe"},
       {"Velmaris5.exe", "Velmaris51.exe", "Velmaris5A.exe", "velmaris5b.exe", "Velmaris5_.exe"}},
      {{"b", "B", "a"}, {"a", "B", "b"}},
      {{"ab", "a"}, {"a", "ab"}},
      {{"\xC3\xA9", "z", "Z"}, {"Z", "z", "\xC3\xA9"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> names = c.names;
    SortNtfs(names);
    EXPECT_EQ(names, c.sorted);
  }
}

}  // namespace
