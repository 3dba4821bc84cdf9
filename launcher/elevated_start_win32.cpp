#include "elevated_start_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

unsigned long StartElevated(const wchar_t* application, const wchar_t* parameters) {
  // shell32 is loaded on this path only, and from the system folder by its
  // full path, so that an ordinary start maps no further DLL.
  std::wstring shell32(MAX_PATH, L'\0');
  // 0 is a failure, and MAX_PATH or more the size it would have needed:
  // either would leave a path that names the current drive's root.
  const UINT length = GetSystemDirectoryW(shell32.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
  shell32.resize(length);
  const HMODULE module = LoadLibraryW((shell32 + L"\\shell32.dll").c_str());
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
