// The launcher's one procedure: read the current version, start the
// matching main program with the launcher's arguments, or say why not.
#pragma once

namespace mdlMain {

// Exit statuses of the launcher process.
enum ExitStatus : int { kStarted = 0, kNotFound = 1, kFailed = 2 };

inline constexpr unsigned kWarningBox = 48;  // OK button, exclamation icon
inline constexpr char kTitle[] = "Velmaris";
inline constexpr char kNotFoundPrompt[] = "Velmaris main program not found";
inline constexpr char kErrorPrompt[] = "Error launching Velmaris main program.";

// Runs one start from beginning to end and ends the process on every path.
[[noreturn]] void Main();

}  // namespace mdlMain
