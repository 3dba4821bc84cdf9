// Every operation the launcher needs from the operating system, as whole
// tasks. One implementation per platform is chosen at link time
// (platform_posix.cpp, platform_win32.cpp). Operations that can fail throw
// Failure with the system's own wording.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

Arguments LauncherArguments();

// Value of `key` in `section` of the profile (INI) file at `path`, cut to
// `capacity` - 1 characters. A missing file, section or key gives "", and so
// does a folder in the file's place; a file that is there but cannot be
// opened or read (no permission, locked by another process) is a Failure.
// Only what the file held when it was opened is read.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::size_t capacity);

// Receives each plain file that a listing yields, with the `context` given
// to the listing. `could_be_launcher` is false when the listing alone shows
// that the file is neither the running executable nor a copy of it, so
// that nothing more need be asked of it.
using CandidateSink = void (*)(void* context, std::string_view name, bool could_be_launcher);

// Hands `sink` the plain files in `folder` whose names match the wildcard
// `pattern` (see MatchesWildcard), in no particular order.
void ListMatchingFiles(const std::string& folder, std::string_view pattern, CandidateSink sink,
                       void* context);

// True when the file at `path` is the running executable, in whatever name
// or link, or a byte-for-byte copy of it, and when it may be one but cannot
// be read to tell: a copy started would start its copy in turn, for ever.
bool IsLauncherOrCopy(const std::string& path);

// Starts the program at `path` with `arguments` in a normal, activated
// window and does not wait for it.
void StartProgram(const std::string& path, const Arguments& arguments);

// The application icon that the executable carries, as the icon form holds
// it; nullptr where it carries none. Neither call shows a window or touches
// the window system.
using IconHandle = void*;
IconHandle LoadApplicationIcon();
void FreeApplicationIcon(IconHandle icon);

void Beep();

// Modal box; returns when the user has closed it. Never throws, and shows
// the prompt whatever state the process is in (out of memory, standard
// error a pipe that nobody reads); a box that cannot be shown is not
// reported again.
void ShowMessageBox(std::string_view prompt, unsigned style, std::string_view title) noexcept;

[[noreturn]] void EndProcess(int status);

}  // namespace platform
