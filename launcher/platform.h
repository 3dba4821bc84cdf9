// Every operation the launcher needs from the operating system, as whole
// tasks. One implementation per platform is chosen at link time
// (platform_posix.cpp, platform_win32.cpp); the tests link a fake instead.
// Operations that can fail throw Failure with the system's own wording.
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

// Joins a file name to a folder: folder + kPathSeparator + name, even when
// the folder already ends in a separator (a root folder).
extern const char kPathSeparator;

// Folder that holds the running executable.
std::string LauncherFolder();

Arguments LauncherArguments();

// Value of `key` in `section` of the profile (INI) file at `path`, cut to
// `capacity` - 1 characters. A missing file, section or key gives "", and so
// does a folder in the file's place; a file that is there but cannot be
// opened or read (no permission, locked by another process) is a Failure.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::size_t capacity);

// Names of the plain files in `folder` that match the wildcard `pattern`
// (see MatchesWildcard), other than the running executable itself (in
// whatever name or link), in no particular order.
std::vector<std::string> ListMatchingFiles(const std::string& folder,
                                           std::string_view pattern);

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

// Modal box; returns when the user has closed it. Never throws: a box that
// cannot be shown is not reported again.
void ShowMessageBox(const std::string& prompt, unsigned style,
                    const std::string& title);

[[noreturn]] void EndProcess(int status);

}  // namespace platform
