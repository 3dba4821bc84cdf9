// A start's reasons, written only when someone asks: the environment
// variable VELMARIS_LAUNCH_TRACE names a file to which each start appends
// its lines, in UTF-8. Every argument belongs to the main program, so the
// request cannot come by the command line. Unset, a start only reads the
// variable; a trace that cannot be written changes nothing.
#pragma once

#include <initializer_list>
#include <string_view>

namespace trace {

inline constexpr char kVariable[] = "VELMARIS_LAUNCH_TRACE";

// Reads the variable; called once, first.
void Begin();

bool On();

// One line, the parts joined, when the trace is on. Never throws.
void Line(std::initializer_list<std::string_view> parts) noexcept;

// Appends the start's lines to the file, before its box or once it has
// started the program: then, and not while the folder is searched, the file
// is made, so a trace named like a candidate or version.ini cannot become one.
void End() noexcept;

}  // namespace trace
