#include "file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

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
      {"Velmaris5????.exe", "Velmaris5\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80.exe", true},
      {"\xC3\xA9?", "\xC3\x89\xF0\x9F\x98\x80", true},  // \u00e9 and \u00c9 are one letter
      {"I", "\xC4\xB1", false},                           // dotless i has no capital in NTFS
      {"\xFF", "\xFE", false},
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

TEST(LastInNtfsOrder, UpperCasedUtf16UnitsThenBytes) {
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
      {{"\xC3\x96", "\xC3\xA4"}, {"\xC3\xA4", "\xC3\x96"}},  // \u00e4 is \u00c4, before \u00d6
      {{"\xC3\x81", "\xC3\xA0"}, {"\xC3\xA0", "\xC3\x81"}},  // \u00e0 is \u00c0, before \u00c1
      // U+1F600 is D83D DE00 in UTF-16, before U+E000 and U+FF5A (upper-cased to U+FF3A).
      {{"\xEF\xBD\x9A", "\xEE\x80\x80", "\xF0\x9F\x98\x80"}, {"\xF0\x9F\x98\x80", "\xEE\x80\x80", "\xEF\xBD\x9A"}},
      {{"\xC4\xB1", "J", "i"}, {"i", "J", "\xC4\xB1"}},
      {{"\xEF\xBF\xBD", "\xFF", "\xFE"}, {"\xFE", "\xFF", "\xEF\xBF\xBD"}},  // bytes that are no UTF-8
  };
  EXPECT_EQ(LastInNtfsOrder({}), "");
  // Each name of the order is the last of those up to it, in any order.
  for (const auto& c : cases) {
    std::vector<std::string> names = c.names;
    for (std::size_t k = c.sorted.size(); k > 0; --k) {
      EXPECT_EQ(LastInNtfsOrder(names), c.sorted[k - 1]);
      names.erase(std::find(names.begin(), names.end(), c.sorted[k - 1]));
    }
  }
}

#ifdef _WIN32
// Windows' own ordinal comparison, which upper-cases by the system's table,
// must order every unit of the BMP as the generated table does.
TEST(Upcase, AgreesWithCompareStringOrdinal) {
  std::vector<wchar_t> units;
  for (unsigned unit = 0; unit < 0x10000; ++unit) units.push_back(static_cast<wchar_t>(unit));
  std::stable_sort(units.begin(), units.end(), [](wchar_t a, wchar_t b) { return Upcase(a) < Upcase(b); });
  std::vector<wchar_t> disagreements;
  for (std::size_t i = 1; i < units.size(); ++i) {
    const int expected = Upcase(units[i - 1]) < Upcase(units[i]) ? CSTR_LESS_THAN : CSTR_EQUAL;
    if (CompareStringOrdinal(&units[i - 1], 1, &units[i], 1, TRUE) != expected) disagreements.push_back(units[i]);
  }
  EXPECT_EQ(disagreements, std::vector<wchar_t>());
}
#endif

}  // namespace
