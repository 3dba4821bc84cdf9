// Windows implementation of platform.h, and the process entry point. Text
// crosses here between the core's UTF-8 and the wide (UTF-16) API.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <tuple>

#include "command_line.h"
#include "elevated_start_win32.h"
#include "failure.h"
#include "file_names.h"
#include "mdlMain.h"
#include "platform.h"
#include "text.h"

namespace {

std::wstring Wide(std::string_view text) {
  const std::u16string utf16 = ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Narrow(std::wstring_view text) {
  return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// `program` fills the "%1" of a failed start's description.
[[noreturn]] void ThrowWindowsError(DWORD code, std::string_view program = {}) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) throw Failure("Error " + std::to_string(code));
  throw Failure(program.empty() ? Narrow(text) : FillProgramInsert(Narrow(text), program));
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowWindowsError(GetLastError());
    // A full buffer means the path may have been cut.
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

ULONGLONG FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

// A file's identity, the same whatever name or link it is reached by: its
// volume's serial number and its index there; none when it cannot be had.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const std::wstring& path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!known) return std::nullopt;
  return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  const auto identity = FileIdentity(a);
  return identity && identity == FileIdentity(b);
}

// DLLs planted beside the launcher (a download folder, say) must not load in
// its place. Looked up at run time: Windows before 8 may lack the call.
void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (proc != nullptr)
    reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(proc))(
        LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

const char platform::kPathSeparator = '\\';

std::string platform::LauncherFolder() {
  const std::wstring path = ModulePath();
  return Narrow(std::wstring_view(path).substr(0, path.rfind(L'\\')));
}

platform::Arguments platform::LauncherArguments() {
  const std::string command_line = Narrow(GetCommandLineW());
  const std::string_view text = ArgumentText(command_line);
  return text.empty() ? Arguments() : Arguments{std::string(text)};
}

std::string platform::ReadProfileString(const std::string& path, std::string_view section,
                                        std::string_view key, std::size_t capacity) {
  const std::wstring file = Wide(path);
  std::wstring buffer(capacity, L'\0');
  const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"", buffer.data(),
                                                static_cast<DWORD>(capacity), file.c_str());
  // The profile reader takes a file that it cannot open for a missing one.
  // When it gives nothing, the file's own open (read access, sharing all)
  // tells the two apart; a file gone since, or a dangling link, is missing.
  const DWORD attributes = length == 0 ? GetFileAttributesW(file.c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      ThrowWindowsError(error);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  return Narrow(std::wstring_view(buffer).substr(0, length));
}

std::vector<std::string> platform::ListMatchingFiles(const std::string& folder,
                                                     std::string_view pattern) {
  // The system lists by the pattern's fixed prefix only: its own "?" rules
  // differ between systems (Wine has no "?" before "." rule, and short 8.3
  // names match too), so the shared matcher decides on the long names.
  const std::string prefix(pattern.substr(0, pattern.find_first_of("?*")));
  const std::wstring query = Wide(folder + kPathSeparator + prefix + "*");
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileExW(query.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};
    ThrowWindowsError(error);
  }
  std::vector<std::string> names;
  std::wstring self;  // the launcher's own path and size, looked up at the first match
  std::optional<ULONGLONG> self_size;
  constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((data.dwFileAttributes & kNotPlain) != 0) continue;
    std::string name = Narrow(data.cFileName);
    if (!MatchesWildcard(pattern, name)) continue;
    // A launcher named like a main program must not start itself for ever.
    // Only a file of its own size can be it: that is asked first, as opening
    // files to learn who they are costs more than the rest of a start.
    if (!self_size) {
      self = ModulePath();
      self_size = FileSize(self);
    }
    const ULONGLONG size = ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    if (size != *self_size || !SameFile(self, Wide(folder + kPathSeparator + name))) names.push_back(std::move(name));
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) ThrowWindowsError(error);
  return names;
}

void platform::StartProgram(const std::string& path, const Arguments& arguments) {
  const std::wstring application = Wide(path);
  std::wstring command_line =
      Wide(StartCommandLine(path, arguments.empty() ? std::string_view() : arguments.front()));
  // CreateProcessW takes 32,767 characters with the terminator; Wine cuts a
  // longer line without a word. Arguments are never cut.
  if (command_line.size() >= 32767) ThrowWindowsError(ERROR_FILENAME_EXCED_RANGE, path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED; not in mingw-w64's headers
    if (error != kElevationRequired) ThrowWindowsError(error, path);
    // The program's manifest asks for administrator rights: start it as
    // Explorer does, through the shell and its consent prompt.
    const DWORD elevated = StartElevated(application.c_str(), Wide(arguments.empty() ? "" : arguments.front()).c_str());
    if (elevated != ERROR_SUCCESS) ThrowWindowsError(elevated, path);
    return;
  }
  // The launcher ends at once, so the new process would otherwise not be
  // allowed to take the focus from the window the user last worked in.
  AllowSetForegroundWindow(process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// The form holds icon group 1, as the shell shows it, in the resource that
// the system maps with the executable: finding it is the kernel's work
// alone, and freeing it has nothing to do. Loading an icon object instead
// would make the thread a GUI thread on every start (and under Wine bring
// up the display driver and the desktop), only to destroy it.
platform::IconHandle platform::LoadApplicationIcon() {
  return FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
}

void platform::FreeApplicationIcon(IconHandle) {}

void platform::Beep() { MessageBeep(MB_OK); }

void platform::ShowMessageBox(const std::string& prompt, unsigned style, const std::string& title) {
  // Common Controls 6, for the box's themed look, is asked for by manifest 2
  // and active only around the box: in the process manifest it would cost
  // every start an activation context.
  const std::wstring module = ModulePath();
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  context.lpSource = module.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(2);
  context.hModule = GetModuleHandleW(nullptr);
  const HANDLE controls = CreateActCtxW(&context);
  ULONG_PTR cookie = 0;
  const bool active = controls != INVALID_HANDLE_VALUE && ActivateActCtx(controls, &cookie);
  MessageBoxW(nullptr, Wide(prompt).c_str(), Wide(title).c_str(), style);
  if (active) DeactivateActCtx(0, cookie);
  if (controls != INVALID_HANDLE_VALUE) ReleaseActCtx(controls);
}

void platform::EndProcess(int status) { ExitProcess(static_cast<UINT>(status)); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearch();
  mdlMain::Main();
}
