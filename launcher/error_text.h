// The system's descriptions of failures, as the error box shows them.
#pragma once

#include <string>
#include <string_view>

// The system's description of a failed start, with its "%1" (the program's
// name, which the launcher cannot pass in) filled with `path`. Other inserts
// stay as they are.
std::string FillProgramInsert(std::string_view description, std::string_view path);

// The description a failure with Windows error `code` gets: the system's
// `message` without the line end it comes with, its "%1" filled with
// `program` when there is one, or "Error <code>" when the system has none.
std::string SystemErrorText(std::string_view message, int code, std::string_view program);
