// The one kind of error the launcher reports: a failure that carries the
// description shown on the second line of the error box.
#pragma once

#include <stdexcept>
#include <string>

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& description)
      : std::runtime_error(description) {}
};
