// Stands in for the main program: records its own module path, a NUL and
// its command line, as UTF-16, in "record" beside itself; renamed into
// place, so the record appears whole.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  const std::wstring record = module + L'\0' + GetCommandLineW(), folder = module.substr(0, module.rfind(L'\\') + 1);
  const HANDLE file = CreateFileW((folder + L"record.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  const bool recorded = ok && MoveFileW((folder + L"record.tmp").c_str(), (folder + L"record").c_str());
  if (GetEnvironmentVariableW(L"VELMARIS_STAY", nullptr, 0) != 0) Sleep(INFINITE);  // a user who keeps it running
  return recorded ? 0 : 1;
}
