#include "elevated_start_win32.h"

#include <windows.h>
#include <shellapi.h>

unsigned long StartElevated(const wchar_t* application, const wchar_t* parameters) {
  // shell32 is loaded on this path only, so that an ordinary start maps no
  // further DLL. It is one of Windows' known DLLs, which the system loads
  // from its own folder whatever the search path ("Dynamic-Link Library
  // Search Order"), so no DLL planted beside the launcher can stand in.
  const HMODULE module = LoadLibraryW(L"shell32.dll");
  if (module == nullptr) return GetLastError();
  using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  const auto shell_execute = reinterpret_cast<ShellExecuteExFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "ShellExecuteExW")));
  if (shell_execute == nullptr) return GetLastError();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // NOASYNC: the request must be complete before the launcher ends, or it
  // can be lost. FLAG_NO_UI: the launcher reports failures in its own box.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = application;
  info.lpParameters = *parameters != L'\0' ? parameters : nullptr;
  info.nShow = SW_SHOWNORMAL;
  return shell_execute(&info) ? ERROR_SUCCESS : GetLastError();
}
