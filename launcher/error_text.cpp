#include "error_text.h"

namespace {

std::string FillProgramInsert(std::string_view description, std::string_view path) {
  std::string text;
  for (std::size_t i = 0; i < description.size(); ++i) {
    const bool insert = description.compare(i, 2, "%1") == 0 &&
                        (i + 2 == description.size() || description[i + 2] < '0' || description[i + 2] > '9');
    if (insert) ++i;
    text += insert ? path : description.substr(i, 1);
  }
  return text;
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
