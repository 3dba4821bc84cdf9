/* The least a Windows launcher can do: start the program beside it whose
   name it is given, let that program take the focus, and end. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance, (void)previous, (void)show;
  wchar_t path[MAX_PATH + 2] = L"\"";
  DWORD length = GetModuleFileNameW(NULL, path + 1, MAX_PATH);
  while (length > 0 && path[length] != L'\\') --length;
  lstrcpynW(path + length + 1, arguments, MAX_PATH - length);
  lstrcatW(path, L"\"");
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process;
  if (!CreateProcessW(NULL, path, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) return 1;
  AllowSetForegroundWindow(process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
