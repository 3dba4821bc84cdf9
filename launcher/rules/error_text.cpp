#include "error_text.h"

namespace {

std::string FillProgramInsert(std::string_view description, std::string_view path) {
  std::string text;
  for (std::size_t at; (at = description.find("%1")) != std::string_view::npos;) {
    const std::string_view after = description.substr(at + 2);  // "%10" is another insert
    const bool insert = after.empty() || after[0] < '0' || after[0] > '9';
    text.append(description.substr(0, at)).append(insert ? path : "%1");
    description.remove_prefix(at + 2);
  }
  return text.append(description);
}

}  // namespace

std::string SystemErrorText(std::string_view message, int code, std::string_view program) {
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.remove_suffix(1);
  // The code as an int: Win32 error codes fit one, and the version text's
  // to_string is linked already.
  if (message.empty()) return "Error " + std::to_string(code);
  return program.empty() ? std::string(message) : FillProgramInsert(message, program);
}
