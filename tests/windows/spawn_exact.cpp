// Starts a program with an exact command line, which wine's own start-up
// would re-quote, and exits with its exit status. The request file holds
// three UTF-16 strings, each ended by a NUL: application, command line and
// current directory.
#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 100;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 101;
  std::vector<wchar_t> request(32768 * 3);
  DWORD read = 0;
  ReadFile(file, request.data(), static_cast<DWORD>(request.size() * sizeof(wchar_t)), &read, nullptr);
  CloseHandle(file);
  const wchar_t* application = request.data();
  std::wstring command_line = application + wcslen(application) + 1;
  const wchar_t* directory = application + wcslen(application) + 1 + command_line.size() + 1;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory, &startup, &process))
    return 102;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 103;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
