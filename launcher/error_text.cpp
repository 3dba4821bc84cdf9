#include "error_text.h"

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
