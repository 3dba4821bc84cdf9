#include "file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

TEST(MatchesWildcard, VersionPatterns) {
  const std::string e = "\xC3\xA9", smiley = "\xF0\x9F\x98\x80";  // one character each
  const struct { std::string pattern; std::vector<std::string> matching, other; } cases[] = {
      {"Velmaris5????.exe",
       {"Velmaris5.exe", "Velmaris51234.exe", "VELMARIS5.EXE", "velmaris5B.Exe", "Velmaris5" + smiley + e + e + e + ".exe"},
       {"Velmaris5" + e + e + e + e + e + ".exe", "Velmaris512345.exe", "Velmaris5.txt", "Velmaris5.a.exe",
        "Velmaris5.exe.bak", "Velmaris5.ex", "Velmaris6.exe", "xVelmaris5.exe", "Velmaris5"}},
      {"Velmaris-3????.exe", {"Velmaris-3.exe"}, {"Velmaris3.exe"}},
      {"a?c", {"a.c"}, {"ac"}},  // elsewhere "?" is exactly one character, "." included
      {"Velmaris*", {"Velmaris", "VELMARIS5-beta.exe"}, {"Velmari", "xVelmaris"}},
      {"a??", {"a\xE2\x82\xAC\xE2\x82\xAC"}, {"ab"}},
      {"", {""}, {"a"}},
      {e + "?", {"\xC3\x89" + smiley}, {}},  // \u00e9 is \u00c9 upper-cased
      {"I", {"i"}, {"\xC4\xB1"}},            // the dotless i is no i in NTFS
      {"\xFF", {"\xFF"}, {"\xFE"}},          // bytes that are no UTF-8
  };
  for (const auto& c : cases) {
    for (const std::string& name : c.matching) EXPECT_TRUE(MatchesWildcard(c.pattern, name)) << c.pattern << " ~ " << name;
    for (const std::string& name : c.other) EXPECT_FALSE(MatchesWildcard(c.pattern, name)) << c.pattern << " ~ " << name;
  }
}

TEST(NtfsLess, UpperCasedUtf16UnitsThenBytes) {
  const std::vector<std::string> orders[] = {
      {"", "Velmaris5.exe", "Velmaris51.exe", "Velmaris5A.exe", "velmaris5b.exe", "velmaris5z.exe", "Velmaris5_.exe"},  // "_" after "Z"
      {"a", "B", "b", "\xF0\x90\x80\x80"}, {"a", "ab"},  // U+10000 is D800 DC00
      {"Z", "z", "\xC3\xA9"}, {"i", "J", "\xC4\xB1"},
      {"\xC3\xA4", "\xC3\x96"}, {"\xC3\xA0", "\xC3\x81"},  // \u00e4 is \u00c4, before \u00d6; \u00e0 before \u00c1
      // UTF-16 units: U+D830 alone, U+1F600 (D83D DE00) b, U+1F601 a (low unit first), U+E000, U+FF5A (as FF3A), U+FF3B.
      {"\xED\xA0\xB0", "\xF0\x9F\x98\x80" "b", "\xF0\x9F\x98\x81" "a", "\xEE\x80\x80", "\xEF\xBD\x9A", "\xEF\xBC\xBB"},
      {"\xFE", "\xFF", "\xEF\xBF\xBD"},  // bytes that are no UTF-8, then U+FFFD
  };
  for (const auto& order : orders)
    for (std::size_t i = 0; i < order.size(); ++i)
      for (std::size_t k = 0; k < order.size(); ++k)
        EXPECT_EQ(NtfsLess(order[i], order[k]), i < k) << order[i] << " < " << order[k];
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
