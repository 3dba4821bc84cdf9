// Parts of the statically linked C++ runtime that the Windows launcher
// replaces to stay small. Inline std::string and std::vector code calls
// these when they fail; the library's own versions live in one object that
// also builds std::logic_error from a C string, which links the whole
// copy-on-write string library (about 80 KB). Each still throws an
// exception that the one handler of Main reports.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "failure.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char* what) { throw Failure(what); }
void __throw_logic_error(const char* what) { throw Failure(what); }
// Filled in as the library's own does; its texts hold only %s and %zu. The
// box says what the other builds say, never a bare format.
void __throw_out_of_range_fmt(const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      text += *p;
    } else if (*++p == 's') {
      text += va_arg(values, const char*);
    } else {  // "%zu", in digits by hand: std::to_string is larger
      char digits[24], *end = digits + sizeof digits, *first = end;
      for (std::size_t n = va_arg(values, std::size_t); first == end || n != 0; n /= 10) *--first = char('0' + n % 10);
      text.append(first, end);
      ++p;
    }
  }
  va_end(values);
  throw Failure(text);
}

}  // namespace std

// Main catches every exception, so none ever reaches the terminate handler.
// The runtime's verbose one would link a 46 KB demangler to print a message
// that nobody sees from a GUI program; this one just aborts.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// strtod's readers of "0x..." and "nan(...)" (3.5 KB): the launcher hands it
// only text that it has rebuilt from decimal digits (see ReadDecimalNumber),
// so they are never reached. Any other strtod or stod of a user's text would
// end the launcher here, without its box; the unit tests, linked with these,
// hold ReadNumber to that.
extern "C" int __gethex_D2A() { std::abort(); }
extern "C" int __hexnan_D2A() { std::abort(); }
