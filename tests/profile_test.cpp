#include "profile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace std::string_literals;

std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) bytes += big_endian ? std::string{char(unit >> 8), char(unit)} : std::string{char(unit), char(unit >> 8)};
  return bytes;
}

TEST(ReadProfileValue, FollowsTheWindowsReader) {
  const std::string v = "[Version]\nAppVers=", many(1000, ' ');
  const std::pair<std::string, std::string> cases[] = {  // file, value
      {"", ""},                                     {"[version]\nappvers=5", "5"},
      {"  [ Version ]  \n\t AppVers \t=  5 6  \n", "5 6"}, {"[Version]\rAppVers=7\r", "7"},
      {"[Other]\nAppVers=1\n" + v + "2\n[Other2]\nAppVers=3", "2"},
      {v + "1\nAppVers=2", "1"},                    {"[Version]\nOther=1\n" + v + "2", ""},
      {"[Version]\n;AppVers=1\n  ; x\nAppVers=2", "2"}, {"[Version\nAppVers=3", ""},
      {"[Version]junk\nAppVers=4", "4"},            {"[Version]\nApp Vers=5\nAppVersion=5", ""},
      {"[Version]\n=5\nAppVers\nAppVers=6", "6"},   {v + "a=b", "a=b"},
      {v + "\"42\"", "42"},                         {v + " ' 42 ' ", " 42 "},
      {v + "\"42'", "\"42'"},                       {v + "\"", "\""},
      {v + "1\0 2\n"s, "1"},                        {"[Ver\0sion]\nAppVers=1"s, ""},
      {"\xEF\xBB\xBF" + v + "8", "8"},              {v + std::string(150, '7'), std::string(99, '7')},
      {v + "\"" + std::string(150, '7') + "\"", std::string(99, '7')},
      {v + many + "9" + many, "9"},                 {v + "1" + many + "2", "1" + std::string(98, ' ')},
      {Utf16(u"[Version]\nAppVers=10", true), "10"},
      {Utf16(u"[Version]\nAppVers=\xD800" u"2\xDC00\xD83D\xDE00", false), "\xEF\xBF\xBD" "2\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {Utf16(u"[Version]\nAppVers=4\0" u"5", false), "4"},
  };
  for (const auto& [file, value] : cases) EXPECT_EQ(ReadProfileValue(file, "Version", "AppVers", 100), value) << file;
  EXPECT_EQ(ReadProfileValue("[a]\nb=\xC3\xA9\xC3\xA9\xC3\xA9", "A", "B", 3), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(ReadProfileValue("[a]\nb=12345", "A", "B", 1), "");
}

}  // namespace
