#include "profile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <fstream>

#include "text.h"
#endif

namespace {

using namespace std::string_literals;

std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) bytes += big_endian ? std::string{char(unit >> 8), char(unit)} : std::string{char(unit), char(unit >> 8)};
  return bytes;
}

#ifdef _WIN32
// What the system's own reader gives for the file, as UTF-8 (WTF-8).
std::string SystemProfileValue(const std::string& file) {
  wchar_t folder[MAX_PATH], path[MAX_PATH], value[100];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"ini", 0, path);
  std::ofstream(path, std::ios::binary) << file;
  const DWORD length = GetPrivateProfileStringW(L"Version", L"AppVers", L"", value, 100, path);
  DeleteFileW(path);
  return ToUtf8(std::u16string(value, value + length));
}
#endif

TEST(ReadProfileValue, FollowsTheWindowsReader) {
  const std::string v = "[Version]\nAppVers=", many(1000, ' ');
  std::string smileys;
  for (int i = 0; i < 99; ++i) smileys += "\xF0\x9F\x98\x80";
  const std::pair<std::string, std::string> cases[] = {  // file, value
      {"", ""},
      {"[version]\nappvers=5", "5"},
      {"  [ Version ]  \n\t AppVers \t=  5 6  \n", "5 6"},
      {v + "1\nAppVers=2", "1"},
      {"[Version]\nOther=1\n" + v + "2", ""},
      {"[Version]\n;AppVers=1\n  ; x\nAppVers=2", "2"},
      {"[Version\nAppVers=3", ""},
      {"[Version]junk\nAppVers=4", "4"},
      {"[Version]\nApp Vers=5\nAppVersion=5", ""},
      {"[Version]\nApp=5\nAppVers=6", "6"},
      {"[Version]\n=5\nAppVer\nAppVers=6", "6"},
      {"[Version]\n\x0B AppVers\nAppVers=6", ""},
      {"[Version]]\nAppVers=1", ""},
      {"[\fVersion\x1A] ; a [b]\nAppVers=1", ""},
      {"[Version]\x1A\n\x1A""AppVers\x0B=\f5\x1A", "5"},
      {"[Version\0x]\nAppVers\0 x=7"s, "7"},
      {"[Version]\nAppVers \0=7"s, ""},
      {v + "a=b", "a=b"},
      {v + "\"42\"", "42"},
      {v + " ' 42 ' ", " 42 "},
      {v + "\"42'", "\"42'"},
      {v + "\"", "\""},
      {v + "''", ""},
      {v + "1\0 2\n"s, "1"},
      {"[Ver\0sion]\nAppVers=1"s, ""},
      {"\xEF\xBB\xBF" + v + "8", "8"},
      {v + std::string(150, '7'), std::string(99, '7')},
      {v + "\"" + std::string(150, '7') + "\"", std::string(99, '7')},
      {v + "'" + std::string(99, '7') + "'", std::string(98, '7')},
      {v + "'" + std::string(49, '7') + "  " + std::string(48, '7') + "'", std::string(49, '7') + "  " + std::string(47, '7')},
      {v + many + "9" + many, "9"},
      {v + "1" + many + "2", "1" + std::string(98, ' ')},
      {Utf16(u"[Version]\nAppVers=10\u65e5", true), "10\xE6\x97\xA5"},
      {"[Other]\rAppVers=1\r[Version]\r;x\rAppVers=2\r", "2"},
      {"[Version]\nx=AppVers=1\nx=1\n  appvers=2", "2"},
      {"x=y [Version]\nx=\t[Version]\n \t[Version]\nAppVers=2", "2"},
      {Utf16(u";\xD800\r[Version]\n;x\nAppVers=3", false), "3"},
      {Utf16(u"[Version]\nAppVers=\xD800" u"2\xDC00\xD83D\xDE00", false), "\xED\xA0\x80" "2\xED\xB0\x80\xF0\x9F\x98\x80"},
      {Utf16(u"[Version]\nAppVers=4\0" u"5", false), "4"},
      {Utf16(u"[Version]\nAppVers=4\xD800", false), "4\xED\xA0\x80"},
  };
  for (const auto& [file, value] : cases) {
    EXPECT_EQ(ReadProfileValue(file, "Version", "AppVers", 100), value) << file;
    for (std::size_t size = 1; size < 6; ++size) {  // the same however the file comes in chunks
      ProfileReader reader("Version", "AppVers", 100);
      for (std::size_t at = 0; at < file.size() && !reader.Done(); at += size) reader.Feed(file.substr(at, size));
      EXPECT_EQ(reader.Value(), value) << file << " in chunks of " << size;
    }
#ifdef _WIN32
    EXPECT_EQ(SystemProfileValue(file), value) << "the system's reader, on " << file;
#endif
  }
  EXPECT_EQ(ReadProfileValue("[a]\nb=\xF0\x9F\x98\x80\xC3\xA9\xC3\xA9", "A", "B", 3), "\xF0\x9F\x98\x80\xC3\xA9");
  EXPECT_EQ(ReadProfileValue("[a]\nb=" + smileys + "\xF0\x9F\x98\x80", "A", "B", 100), smileys);  // all four bytes
  for (std::size_t capacity : {0, 1}) EXPECT_EQ(ReadProfileValue("[a]\nb=12345", "A", "B", capacity), "");
}

TEST(HasUnreadMark, OnlyTheMarksWindowsReadsAsText) {
  const std::pair<std::string, bool> cases[] = {
      {"\xEF\xBB\xBF[", true}, {"\xFE\xFF", true}, {"\xFF\xFE", false}, {"\xEF\xBB", false}, {"[Version]", false}};
  for (const auto& [head, unread] : cases) EXPECT_EQ(HasUnreadMark(head), unread) << head;
}

}  // namespace
