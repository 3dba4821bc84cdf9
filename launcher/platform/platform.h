// Every operation the launcher needs from the operating system, as whole
// tasks. One implementation per platform is chosen at link time
// (platform_linux.cpp, platform_win32.cpp). Operations that can fail throw
// Failure with the system's own wording.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher_builds.h"  // FileHead, which the platform fills

namespace platform {

// The launcher's own arguments, kept in the form the platform delivers them
// so that they are handed on unchanged: POSIX delivers a list of words,
// Windows one command-line tail (a single element). Empty when there are none.
using Arguments = std::vector<std::string>;

extern const char kPathSeparator;

// folder + kPathSeparator + name, even when the folder already ends in a
// separator (a root folder).
inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += kPathSeparator;
  path += name;
  return path;
}

// Folder that holds the running executable.
std::string LauncherFolder();

// The running executable's name in that folder.
std::string LauncherFileName();

Arguments LauncherArguments();

// Value of `key` in `section` of the profile (INI) file at `path`, cut to
// `capacity` - 1 characters; "" for a missing section or key. No file gives
// nothing, and so do a folder, a dangling or a looping link in its place; a
// file that is there but cannot be opened or read (no permission, locked by
// another process) is a Failure. Only what the file held when it was opened
// is read.
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key, std::size_t capacity);

// What a listing says an entry is: a link counts as what it leads to.
enum class EntryKind {
  kPlain,
  kFolder,
  kHidden,  // a file marked hidden or system (Windows)
  kOther,   // a FIFO, a device, a socket, a dangling link
};

// Receives each entry that a listing yields, with the `context` given to
// the listing.
using EntrySink = void (*)(void* context, std::string_view name, EntryKind kind);

// Hands `sink` the entries of `folder` whose names match the wildcard
// `pattern` (see MatchesWildcard), in no particular order.
void ListMatchingFiles(const std::string& folder, std::string_view pattern, EntrySink sink, void* context);

// Opens the file at `path` once and reads at most `limit` bytes of it. Never
// throws but for memory: what it cannot learn stays false or empty.
FileHead ReadFileHead(const std::string& path, std::size_t limit);

// Starts the program at `path` with `arguments` in a normal, activated
// window and does not wait for it.
void StartProgram(const std::string& path, const Arguments& arguments);

// The application icon that the executable carries, as the icon form holds
// it; nullptr where it carries none. Neither call shows a window or touches
// the window system.
using IconHandle = void*;
IconHandle LoadApplicationIcon();
void FreeApplicationIcon(IconHandle icon);

// The value of the environment variable `name`, or "" when it is not set.
std::string EnvironmentValue(const char* name);

// Appends `text` to the plain file at `path`, made when missing. Never
// throws; a file that cannot be written, or that is no plain file, is left.
void AppendToFile(const std::string& path, std::string_view text) noexcept;

void Beep();

// Modal box; returns when the user has closed it. Never throws, and shows
// the prompt whatever state the process is in (out of memory, standard
// error a pipe that nobody reads); a box that cannot be shown is not
// reported again.
void ShowMessageBox(std::string_view prompt, unsigned style, std::string_view title) noexcept;

[[noreturn]] void EndProcess(int status);

}  // namespace platform
