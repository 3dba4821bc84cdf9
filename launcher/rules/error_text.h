// The system's descriptions of failures, as the error box shows them.
#pragma once

#include <string>
#include <string_view>

// The description a failure with Windows error `code` gets: the system's
// `message` without the line end it comes with, its "%1" (the program's name,
// which the launcher cannot pass in) filled with `program` when there is one
// and other inserts left as they are, or "Error <code>" when the system has
// none.
std::string SystemErrorText(std::string_view message, int code, std::string_view program);
