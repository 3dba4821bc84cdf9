// Stands in for the main program: records its own module path and command
// line, as UTF-16, in "record" beside itself. Written to a temporary name
// and renamed, so the record appears whole.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  const std::wstring record = module + L'\0' + GetCommandLineW();
  const std::wstring folder = module.substr(0, module.rfind(L'\\') + 1);
  const std::wstring temporary = folder + L"record.tmp";
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const BOOL ok = file != INVALID_HANDLE_VALUE &&
                  WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                            &written, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok || !MoveFileW(temporary.c_str(), (folder + L"record").c_str())) return 1;
  return 0;
}
