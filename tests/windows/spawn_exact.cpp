// Starts a program with an exact command line, which Wine's own start-up
// would re-quote, and exits with its exit status. The request file holds
// four UTF-16 strings, each ended by a NUL: application, command line,
// current directory, and a file to hold open without sharing meanwhile (as
// an updater rewriting it does), or "".
// With no request it only keeps Wine's desktop alive for a test run: Wine
// ends an unused desktop a moment after its last user, and a process that
// comes in that moment waits ten seconds for it.
#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc == 1) {
    GetDesktopWindow();
    Sleep(INFINITE);
  }
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 101;
  std::vector<wchar_t> request(32768 * 4);
  DWORD read = 0;
  ReadFile(file, request.data(), static_cast<DWORD>(request.size() * sizeof(wchar_t)), &read, nullptr);
  CloseHandle(file);
  std::vector<std::wstring> strings;
  for (const wchar_t* s = request.data(); strings.size() < 4; s += strings.back().size() + 1)
    strings.emplace_back(s);
  const HANDLE held = strings[3].empty() ? INVALID_HANDLE_VALUE
                                         : CreateFileW(strings[3].c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!strings[3].empty() && held == INVALID_HANDLE_VALUE) return 104;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(strings[0].c_str(), strings[1].data(), nullptr, nullptr, FALSE, 0, nullptr,
                      strings[2].c_str(), &startup, &process))
    return 102;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 103;
  GetExitCodeProcess(process.hProcess, &status);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return static_cast<int>(status);
}
