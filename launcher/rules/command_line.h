// Windows command lines: where the launcher's own arguments begin, and the
// command line it starts the main program with.
#pragma once

#include <string>
#include <string_view>

// The text after the program name and the blanks and tabs that follow it,
// exactly as it stands. A quoted program name ends at the next quote, an
// unquoted one at the first blank or tab; backslashes escape nothing there.
// This is CommandLineToArgvW's rule, so the text holds the same arguments.
std::string_view ArgumentText(std::string_view command_line);

// The path in quotes, so that a folder with blanks cannot name another
// program ("C:\Program.exe") or split into arguments; then one blank and the
// argument text, unchanged, when there is one.
std::string StartCommandLine(std::string_view path, std::string_view argument_text);
