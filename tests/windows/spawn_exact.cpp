// Starts a program with an exact command line, which Wine's own start-up would re-quote, and exits with its
// status. The request file holds four NUL-ended UTF-16 strings: application, command line, current folder, and
// a file to hold without sharing meanwhile (as an updater does), or "". With no request it keeps Wine's desktop
// alive for a test run: a process that comes just as Wine ends an unused desktop waits ten seconds for it.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc == 1) {
    GetDesktopWindow();
    Sleep(INFINITE);
  }
  std::wstring request(32768 * 4, L'\0'), strings[4];
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD read = 0;
  if (!ReadFile(file, request.data(), static_cast<DWORD>(request.size() * sizeof(wchar_t)), &read, nullptr)) return 101;
  for (std::size_t i = 0, at = 0; i < 4; at += strings[i++].size() + 1) strings[i] = request.c_str() + at;
  const HANDLE held = CreateFileW(strings[3].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(strings[0].c_str(), strings[1].data(), nullptr, nullptr, FALSE, 0, nullptr, strings[2].c_str(),
                      &startup, &process))
    return 102;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 103;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(held);
  return static_cast<int>(status);
}
