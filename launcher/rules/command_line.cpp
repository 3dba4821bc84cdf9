#include "command_line.h"

std::string_view ArgumentText(std::string_view command_line) {
  std::size_t end;
  if (command_line.starts_with('"')) {
    end = command_line.find('"', 1);
    end = end == std::string_view::npos ? command_line.size() : end + 1;
  } else {
    end = command_line.find_first_of(" \t");
    if (end == std::string_view::npos) end = command_line.size();
  }
  const std::size_t begin = command_line.find_first_not_of(" \t", end);
  return begin == std::string_view::npos ? std::string_view() : command_line.substr(begin);
}

std::string StartCommandLine(std::string_view path, std::string_view argument_text) {
  std::string command_line = "\"";
  command_line += path;
  command_line += '"';
  if (!argument_text.empty()) {
    command_line += ' ';
    command_line += argument_text;
  }
  return command_line;
}
