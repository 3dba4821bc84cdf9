// The one kind of error the launcher reports: a failure that carries the
// description shown on the second line of the error box.
#pragma once

#include <exception>
#include <string>
#include <utility>

// Not a std::runtime_error: that keeps its text in a copy-on-write string,
// whose library code would be half of the Windows executable.
class Failure : public std::exception {
 public:
  explicit Failure(std::string description) : description_(std::move(description)) {}
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::string description_;
};
