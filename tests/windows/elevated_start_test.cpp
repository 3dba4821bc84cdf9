// The start through the shell's "runas" verb, under Wine, where every process
// has full rights and the program starts at once: it must get the argument
// text exactly. (What sends the launcher there, ERROR_ELEVATION_REQUIRED,
// Wine never gives.)
#include "elevated_start_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "command_line.h"
#include "text.h"

namespace {

std::string Utf8(const std::wstring& text) { return ToUtf8(std::u16string(text.begin(), text.end())); }

TEST(StartElevated, HandsOnTheArgumentTextExactly) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  const std::wstring folder = self.substr(0, self.rfind(L'\\')) + L"\\elevated start \u00e9";
  const std::wstring program = folder + L"\\Velmaris5.exe", record = folder + L"\\record";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW(record.c_str());
  ASSERT_TRUE(CopyFileW((self.substr(0, self.rfind(L'\\')) + L"\\record_start.exe").c_str(), program.c_str(), FALSE));
  const std::wstring text = L"a \"b  c\"\t d\\\" \u00e9\u65e5 ";

  EXPECT_EQ(StartElevated(program.c_str(), text.c_str()), 0u);
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 1000 && file == INVALID_HANDLE_VALUE; ++i, Sleep(10))
    file = CreateFileW(record.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::wstring recorded(40000, L'\0');
  DWORD read = 0;
  ReadFile(file, recorded.data(), static_cast<DWORD>(recorded.size() * sizeof(wchar_t)), &read, nullptr);
  CloseHandle(file);
  recorded.resize(read / sizeof(wchar_t));
  const std::size_t nul = recorded.find(L'\0');
  ASSERT_NE(nul, std::wstring::npos);
  EXPECT_EQ(recorded.substr(0, nul), program);
  EXPECT_EQ(ArgumentText(Utf8(recorded.substr(nul + 1))), Utf8(text));
}

}  // namespace
