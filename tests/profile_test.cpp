#include "profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

std::string Read(std::string_view file) { return ReadProfileValue(file, "Version", "AppVers", 100); }

const struct {
  std::string file;
  std::string value;
} kCases[] = {
    {"", ""},
    {"[Version]\nAppVers=5\n", "5"},
    {"[version]\nappvers=5", "5"},
    {"  [ Version ]  \n\t AppVers \t=  5 6  \n", "5 6"},
    {"[Version]\r\nAppVers=7\r\n", "7"},
    {"[Version]\rAppVers=7\r", "7"},
    {"AppVers=1\n[Version]\nAppVers=2", "2"},
    {"[Other]\nAppVers=1\n[Version]\nAppVers=2\n[Other2]\nAppVers=3", "2"},
    {"[Version]\nAppVers=1\nAppVers=2", "1"},
    {"[Version]\nOther=1\n[Version]\nAppVers=2", ""},
    {"[Version]\n;AppVers=1\n  ; x\nAppVers=2", "2"},
    {"[Version]\n#AppVers=1", ""},
    {"[Version\nAppVers=3", ""},
    {"[Version]junk\nAppVers=4", "4"},
    {"[Version]\nApp Vers=5", ""},
    {"[Version]\nAppVersion=5", ""},
    {"[Version]\n=5\nAppVers=6", "6"},
    {"[Version]\nAppVers\nAppVers=8", "8"},
    {"[Version]\nAppVers=", ""},
    {"[Version]\nAppVers=a=b", "a=b"},
    {"[Version]\nAppVers=\"42\"", "42"},
    {"[Version]\nAppVers= ' 42 ' ", " 42 "},
    {"[Version]\nAppVers=\"42'", "\"42'"},
    {"[Version]\nAppVers=\"42", "\"42"},
    {"[Version]\nAppVers=\"", "\""},
    {"[Version]\nAppVers=\"\"", ""},
    {"[Version]\nAppVers=1\0 2\n"s, "1"},
    {"[Ver\0sion]\nAppVers=1"s, ""},
    {"\xEF\xBB\xBF[Version]\nAppVers=8", "8"},
    {"[Version]\nAppVers=" + std::string(150, '7'), std::string(99, '7')},
    {"[Version]\nAppVers=\"" + std::string(150, '7') + "\"", std::string(99, '7')},
    {"[Version]\nAppVers=" + std::string(1000, ' ') + "9" + std::string(1000, '\t'), "9"},
    {"[Version]\nAppVers=1" + std::string(1000, ' ') + "2", "1" + std::string(98, ' ')},
    {"[Version]\nAppVers=" + std::string(200, 'x').replace(0, 200, 100, '\x01') + "", std::string(99, '\x01')},
    {Utf16(u"[Version]\r\nAppVers=9\r\n", false), "9"},
    {Utf16(u"[Version]\nAppVers=10", true), "10"},
    {Utf16(u"[Version]\nAppVers=1\xD800" u"2", false), "1\xEF\xBF\xBD" "2"},
    {Utf16(u"[Version]\nAppVers=\xDC00" u"3", true), "\xEF\xBF\xBD" "3"},
    {Utf16(u"[Version]\nAppVers=\xD83D\xDE00", false), "\xF0\x9F\x98\x80"},
    {Utf16(u"[Version]\nAppVers=\xD83D", false), "\xEF\xBF\xBD"},
    {Utf16(u"[Version]\nAppVers=4\0" u"5", false), "4"},
};

TEST(ReadProfileValue, FollowsTheWindowsReader) {
  for (const auto& c : kCases) EXPECT_EQ(Read(c.file), c.value) << "file: " << c.file;
}

TEST(ReadProfileValue, KeepsCapacityMinusOneCharacters) {
  const std::string e_acute = "\xC3\xA9";
  std::string hundred, ninety_nine;
  for (int i = 0; i < 100; ++i) hundred += e_acute;
  for (int i = 0; i < 99; ++i) ninety_nine += e_acute;
  EXPECT_EQ(Read("[Version]\nAppVers=" + hundred), ninety_nine);
  EXPECT_EQ(ReadProfileValue("[a]\nb=12345", "A", "B", 3), "12");
  EXPECT_EQ(ReadProfileValue("[a]\nb=12345", "A", "B", 1), "");
}

TEST(ProfileReader, StopsOnceTheValueIsKnown) {
  ProfileReader reader("Version", "AppVers", 100);
  reader.Feed("[Version]\nAppVers=5\n");
  EXPECT_TRUE(reader.Done());
  ProfileReader missing("Version", "AppVers", 100);
  missing.Feed("[Version]\nOther=5\n[Next]\n");
  EXPECT_TRUE(missing.Done());
  ProfileReader open("Version", "AppVers", 100);
  open.Feed("[Version]\nOther=5\n");
  EXPECT_FALSE(open.Done());
}

}  // namespace
