// The start through the shell's "runas" verb, under Wine, where every
// process has full rights and the program starts at once: it must get the
// argument text exactly. (ERROR_ELEVATION_REQUIRED, which sends the
// launcher there, Wine never gives.)
#include "elevated_start_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(StartElevated, HandsOnTheArgumentTextExactly) {
  std::wstring folder(MAX_PATH, L'\0');
  folder.resize(GetModuleFileNameW(nullptr, folder.data(), MAX_PATH));
  folder.resize(folder.rfind(L'\\'));
  const std::wstring program = folder + L"\\elevated \u00e9 Velmaris5.exe", record = folder + L"\\record";
  const std::wstring text = L"a \"b  c\"\t d\\\" \u00e9\u65e5 ";
  DeleteFileW(record.c_str());
  ASSERT_TRUE(CopyFileW((folder + L"\\record_start.exe").c_str(), program.c_str(), FALSE));

  EXPECT_EQ(StartElevated(program.c_str(), text.c_str()), 0u);
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 1000 && file == INVALID_HANDLE_VALUE; ++i, Sleep(10))
    file = CreateFileW(record.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::wstring recorded(40000, L'\0');
  DWORD read = 0;
  ReadFile(file, recorded.data(), static_cast<DWORD>(recorded.size() * sizeof(wchar_t)), &read, nullptr);
  CloseHandle(file);
  // Its own path, a NUL, and its command line: the quoted path, a blank, the text.
  EXPECT_EQ(recorded.substr(0, read / sizeof(wchar_t)), program + L'\0' + L'"' + program + L"\" " + text);
}
