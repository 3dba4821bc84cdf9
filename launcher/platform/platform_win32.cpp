// Windows implementation of platform.h. Text crosses here between the
// core's UTF-8 and the wide (UTF-16) API.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "command_line.h"
#include "elevated_start_win32.h"
#include "error_text.h"
#include "failure.h"
#include "file_names.h"
#include "platform.h"
#include "platform_win32.h"
#include "profile.h"
#include "text.h"
#include "windows_constants.h"
#include "windows_path.h"

namespace {

std::wstring Wide(std::string_view text) {
  const std::u16string utf16 = ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Narrow(std::wstring_view text) {
  return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

[[noreturn]] void ThrowWindowsError(DWORD code, std::string_view program = {}) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::string message = Narrow(std::wstring_view(buffer != nullptr ? buffer : L"", length));
  LocalFree(buffer);
  throw Failure(SystemErrorText(message, static_cast<int>(code), program));
}

// A function of a Windows newer than XP SP3, the oldest the launcher runs
// on, looked up at run time; nullptr where this one lacks it.
FARPROC Kernel32Function(const char* name) { return GetProcAddress(GetModuleHandleW(L"kernel32"), name); }

// The longest path Windows takes fits with its terminator.
std::wstring ModulePath() {
  std::wstring path(windows::kLongText, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), windows::kLongText);
  if (length == 0) ThrowWindowsError(GetLastError());
  path.resize(length);
  return path;
}

// The running executable's folder, before the path's last backslash, or its
// name, after it: one function for both, which the product's size asks.
std::string ModulePathPart(bool name) {
  const std::wstring path = ModulePath();
  const std::size_t slash = path.rfind(L'\\');
  return Narrow(name ? std::wstring_view(path).substr(slash + 1) : std::wstring_view(path.data(), slash));
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

ULONGLONG Size(DWORD high, DWORD low) {
  ULARGE_INTEGER size;
  size.HighPart = high;
  size.LowPart = low;
  return size.QuadPart;
}

// A failed open gives INVALID_HANDLE_VALUE, which is also the process's own
// pseudo-handle: closing it does nothing, so a handle is closed whatever
// came of its open.
HANDLE Open(const std::wstring& path, DWORD access) {
  return CreateFileW(LongPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads up to `size` bytes; how many it read. A file gives all that is
// asked of it but at its end, or refuses a range that another process
// locked (ERROR_LOCK_VIOLATION), which no sharing mode grants.
DWORD ReadUpTo(HANDLE file, char* buffer, DWORD size) {
  DWORD read;
  if (!ReadFile(file, buffer, size, &read, nullptr)) ThrowWindowsError(GetLastError());
  return read;
}

// A file's identity, the same whatever name or link reaches it: its
// volume's serial number and its index there (FILE_ID_INFO).
struct FileId {
  ULONGLONG volume;
  GUID index;  // 128 bits, as FILE_ID_128, which XP's headers lack
};

// What the launcher knows of an open file: its identity and its size.
struct FileFacts {
  bool known;
  FileId id;
  ULONGLONG size;
};

FileFacts Facts(HANDLE file) {
  FileFacts facts{};
  BY_HANDLE_FILE_INFORMATION info;
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info)) return facts;
  facts.known = true;
  facts.size = Size(info.nFileSizeHigh, info.nFileSizeLow);
  // The 64-bit index is not unique on ReFS; Windows 8 and later give the
  // 128-bit one (FileIdInfo), which every file system fills in.
  using Query = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
  static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(Kernel32Function("GetFileInformationByHandleEx")));
  if (query == nullptr || !query(file, windows::kFileIdInfo, &facts.id, sizeof facts.id)) {
    facts.id = FileId{info.dwVolumeSerialNumber, {}};
    const ULONGLONG index = Size(info.nFileIndexHigh, info.nFileIndexLow);
    std::memcpy(&facts.id.index, &index, sizeof index);
  }
  return facts;
}

// The launcher's own file, asked once, when a candidate first is.
const FileFacts& LauncherFacts() {
  static const FileFacts self = [] {
    const HANDLE file = Open(ModulePath(), FILE_READ_ATTRIBUTES);
    const FileFacts facts = Facts(file);
    CloseHandle(file);
    return facts;
  }();
  return self;
}

}  // namespace

// The system folder only where Windows can say so (8, or Vista and 7 with
// KB2533623), else at least not the current folder (XP SP1 on).
void platform::RestrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(const wchar_t*);
  if (const FARPROC proc = Kernel32Function("SetDefaultDllDirectories"))
    reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(proc))(windows::kSearchSystem32);
  else if (const FARPROC fallback = Kernel32Function("SetDllDirectoryW"))
    reinterpret_cast<SetDllDirectoryFunction>(reinterpret_cast<void*>(fallback))(L"");
}

const char platform::kPathSeparator = '\\';

std::string platform::LauncherFolder() { return ModulePathPart(false); }

std::string platform::LauncherFileName() { return ModulePathPart(true); }

platform::Arguments platform::LauncherArguments() {
  const std::string command_line = Narrow(GetCommandLineW());
  const std::string_view text = ArgumentText(command_line);
  return text.empty() ? Arguments() : Arguments{std::string(text)};
}

std::optional<std::string> platform::ReadProfileString(const std::string& path, std::string_view section,
                                        std::string_view key, std::size_t capacity) {
  const std::wstring file = Wide(path);
  std::wstring buffer(capacity, L'\0');
  const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"", buffer.data(),
                                                static_cast<DWORD>(capacity), file.c_str());
  if (length != 0) return Narrow(std::wstring_view(buffer).substr(0, length));
  // The profile reader gives nothing for a missing file, and as well for a
  // file that it cannot open, cannot reach (past MAX_PATH), or cannot read:
  // Windows honours no byte-order mark but UTF-16LE's. The file's own open
  // (read access, sharing all) tells these apart; a file gone since, or a
  // dangling or looping link, is missing.
  const DWORD attributes = GetFileAttributesW(LongPath(file).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  const HANDLE handle = Open(file, GENERIC_READ);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_CANT_RESOLVE_FILENAME)
      return std::nullopt;
    ThrowWindowsError(error);
  }
  // What the profile reader could not read is read by the launcher's own,
  // by the same rules, and only as far as the file went when it was opened.
  LARGE_INTEGER size{};
  GetFileSizeEx(handle, &size);
  ProfileReader reader(section, key, capacity);
  char chunk[kFileChunk];
  bool unread = file.size() >= windows::kMaxPath;
  // Once the size at open is read, a read of no bytes ends the loop.
  for (LONGLONG left = size.QuadPart; !reader.Done();) {
    const DWORD n = ReadUpTo(handle, chunk, static_cast<DWORD>(std::min<LONGLONG>(left, kFileChunk)));
    unread = unread || HasUnreadMark(std::string_view(chunk, n));
    if (n == 0 || !unread) break;
    reader.Feed(std::string_view(chunk, n));
    left -= n;
  }
  CloseHandle(handle);
  return reader.Value();
}

void platform::ListMatchingFiles(const std::string& folder, std::string_view pattern, EntrySink sink, void* context) {
  // The system lists by the pattern's fixed prefix only: its own "?" rules
  // differ between systems (Wine has no "?" before "." rule, and short 8.3
  // names match too), so the shared matcher decides on the long names.
  const std::wstring query = Wide(JoinPath(folder, pattern.substr(0, pattern.find_first_of("?*"))) + "*");
  WIN32_FIND_DATAW data;
  // The basic query (no short names) and large fetch are Windows 7's; before
  // it they are refused as invalid parameters, and the plain query serves,
  // which also says again what any other failure was.
  HANDLE find = FindFirstFileExW(query.c_str(), static_cast<FINDEX_INFO_LEVELS>(windows::kFindExInfoBasic), &data,
                                 FindExSearchNameMatch, nullptr, windows::kFindLargeFetch);
  if (find == INVALID_HANDLE_VALUE)
    find = FindFirstFileExW(query.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Wine says "no more files" where Windows says "not found": nothing matched.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return;
    ThrowWindowsError(error);
  }
  do {
    const std::string name = Narrow(data.cFileName);
    if (!MatchesWildcard(pattern, name)) continue;
    const DWORD attributes = data.dwFileAttributes;
    sink(context, name,
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0                           ? EntryKind::kFolder
         : (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 ? EntryKind::kHidden
                                                                                 : EntryKind::kPlain);
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) ThrowWindowsError(error);
}

FileHead platform::ReadFileHead(const std::string& path, std::size_t limit) {
  FileHead head;
  const std::wstring wide = Wide(path);
  HANDLE file = Open(wide, GENERIC_READ);
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  // Who a file is, and its size, may be asked of one that may not be read:
  // attributes are no read, and share with every holder.
  if (error != ERROR_SUCCESS) file = Open(wide, FILE_READ_ATTRIBUTES);
  const FileFacts& self = LauncherFacts();
  const FileFacts other = Facts(file);
  if (self.known && other.known) {
    head.is_running_file = std::memcmp(&self.id, &other.id, sizeof other.id) == 0;
    head.has_launcher_size = self.size == other.size;
  }
  if (error == ERROR_SUCCESS) {
    head.bytes.resize(limit);
    DWORD read = 0;
    if (!ReadFile(file, head.bytes.data(), static_cast<DWORD>(limit), &read, nullptr)) error = GetLastError();
    head.bytes.resize(read);
  }
  // Only a share mode keeps a file from starting too: a byte-range lock
  // (ERROR_LOCK_VIOLATION) refuses reads but not the image's mapping.
  if (error == ERROR_SHARING_VIOLATION)
    head.refusal = ReadRefusal::kInUse;
  else if (error != ERROR_SUCCESS)
    head.refusal = ReadRefusal::kOther;
  CloseHandle(file);
  return head;
}

void platform::StartProgram(const std::string& path, const Arguments& arguments) {
  const std::wstring application = Wide(path);
  std::wstring command_line =
      Wide(StartCommandLine(path, arguments.empty() ? std::string_view() : arguments.front()));
  // CreateProcessW takes 32,767 characters with the terminator; Wine cuts a
  // longer line without a word. Arguments are never cut.
  if (command_line.size() >= windows::kCommandLineLimit) ThrowWindowsError(ERROR_FILENAME_EXCED_RANGE, path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    if (error != windows::kElevationRequired) ThrowWindowsError(error, path);
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

std::string platform::EnvironmentValue(const char* name) {
  const std::wstring variable = Wide(name);
  std::wstring value(GetEnvironmentVariableW(variable.c_str(), nullptr, 0), L'\0');
  // The size asked for holds the terminator; what is copied does not.
  value.resize(GetEnvironmentVariableW(variable.c_str(), value.data(), static_cast<DWORD>(value.size())));
  return Narrow(value);
}

void platform::AppendToFile(const std::string& path, std::string_view text) noexcept {
  // Write access, beyond appending, so that a write cut short can be taken
  // back (SetEndOfFile asks for it).
  try {
    const HANDLE file =
        CreateFileW(LongPath(Wide(path)).c_str(), FILE_WRITE_DATA | FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // Only to a file: a pipe without a reader would hold the launcher.
    LARGE_INTEGER before, after;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &before)) {
      // The offset of all ones writes each write whole at the end whoever
      // else writes, as a handle that may only append does: traces of two
      // starts at once follow each other.
      OVERLAPPED at_end{};
      at_end.Offset = at_end.OffsetHigh = MAXDWORD;
      DWORD written;  // set by WriteFile before anything else, whatever comes of it
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, &at_end);
      // A write cut short (a full disk, a size limit) reports success for
      // the bytes that fit. It is taken back, so that the next start's lines
      // do not run on from a part of one, when the file has grown by it
      // alone: not over another start's lines.
      if (written < text.size() && GetFileSizeEx(file, &after) && after.QuadPart == before.QuadPart + written &&
          SetFilePointerEx(file, before, nullptr, FILE_BEGIN))
        SetEndOfFile(file);
    }
    CloseHandle(file);
  } catch (const std::bad_alloc&) {
    // Memory that ran out goes unrecorded.
  }
}

void platform::Beep() { MessageBeep(MB_OK); }

void platform::ShowMessageBox(std::string_view prompt, unsigned style, std::string_view title) noexcept {
  // Fixed buffers, not strings: the failure being reported may be that
  // memory ran out.
  static wchar_t module[windows::kLongText], prompt_text[windows::kLongText], title_text[windows::kLongText];
  // Common Controls 6, for the box's themed look, is asked for by a manifest
  // of its own, active only around the box: in the process manifest it
  // would cost every start an activation context.
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  context.lpSource = module;
  context.lpResourceName = MAKEINTRESOURCEW(VELMARIS_CONTROLS_MANIFEST);
  context.hModule = GetModuleHandleW(nullptr);
  // A path the buffer cannot hold, or none, makes no context: the box is
  // shown all the same.
  GetModuleFileNameW(nullptr, module, std::size(module));
  const HANDLE controls = CreateActCtxW(&context);
  ULONG_PTR cookie = 0;
  const bool active = controls != INVALID_HANDLE_VALUE && ActivateActCtx(controls, &cookie);
  ToUtf16Into(reinterpret_cast<char16_t*>(prompt_text), std::size(prompt_text), prompt);
  ToUtf16Into(reinterpret_cast<char16_t*>(title_text), std::size(title_text), title);
  MessageBoxW(nullptr, prompt_text, title_text, style);
  if (active) DeactivateActCtx(0, cookie);
  if (controls != INVALID_HANDLE_VALUE) ReleaseActCtx(controls);
}

void platform::EndProcess(int status) { ExitProcess(static_cast<UINT>(status)); }
