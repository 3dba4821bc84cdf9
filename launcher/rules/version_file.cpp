#include "version_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "failure.h"

namespace {

constexpr int kExponentLimit = 100000;  // far past any double's range

[[noreturn]] void ThrowOverflow() { throw Failure("Overflow"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of `c` as a digit of `base`, or `base` when it is none.
int DigitValue(char c, int base) {
  int value = base;
  if (IsDigit(c)) value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return std::min(value, base);
}

// "&H" / "&O" forms. A value that fits 16 bits is a 16-bit signed quantity
// (&HFFFF is -1), one that fits 32 bits a 32-bit signed quantity.
double ReadRadixNumber(std::string_view digits, int base) {
  std::uint64_t value = 0;
  for (char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit == base) break;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) ThrowOverflow();
  }
  if (value <= 0xFFFFu) return static_cast<std::int16_t>(value);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The reads below may reach the string's terminating NUL, which is no
// digit, sign, point or exponent letter, and so ends what they read.
std::size_t SkipDigits(const std::string& s, std::size_t i) {
  while (IsDigit(s[i])) ++i;
  return i;
}

// Reads optional sign, digits with at most one ".", optional exponent. The
// parts are rebuilt into a plain form for strtod, whose decimal point is "."
// in the "C" locale that the launcher never leaves (on Windows it is
// mingw-w64's correctly rounding reader, not the runtime DLL's).
double ReadDecimalNumber(const std::string& s) {
  const bool negative = s[0] == '-';
  std::size_t i = negative || s[0] == '+';
  const std::size_t int_begin = i;
  i = SkipDigits(s, i);
  const std::string_view int_digits = std::string_view(s).substr(int_begin, i - int_begin);
  std::string_view frac_digits;
  if (s[i] == '.') {
    const std::size_t frac_begin = ++i;
    i = SkipDigits(s, i);
    frac_digits = std::string_view(s).substr(frac_begin, i - frac_begin);
  }
  if (int_digits.empty() && frac_digits.empty()) return 0;

  int exponent = 0;
  if (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd') {
    std::size_t j = i + 1;
    const bool exp_negative = s[j] == '-';
    j += exp_negative || s[j] == '+';
    for (; IsDigit(s[j]); ++j)
      exponent = std::min(exponent * 10 + (s[j] - '0'), kExponentLimit);
    if (exp_negative) exponent = -exponent;
  }

  std::string plain(int_digits.empty() ? "0" : int_digits);
  plain += '.';
  plain += frac_digits;
  plain += 'e';
  plain += std::to_string(exponent);
  // Only DIGITS.DIGITSeEXPONENT reaches strtod: the Windows build's strtod
  // aborts on its hexadecimal and NaN spellings (runtime_mingw.cpp).
  errno = 0;
  const double value = std::strtod(plain.c_str(), nullptr);
  // Too large for a double; one too small reads as 0 or nearly, which is right.
  if (errno == ERANGE && std::isinf(value)) ThrowOverflow();
  return negative ? -value : value;
}

}  // namespace

double ReadNumber(std::string_view text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  if (s.size() >= 2 && s[0] == '&') {
    const char radix = s[1];
    const std::string_view digits = std::string_view(s).substr(2);
    if (radix == 'H' || radix == 'h') return ReadRadixNumber(digits, 16);
    if (radix == 'O' || radix == 'o') return ReadRadixNumber(digits, 8);
    return 0;
  }
  return ReadDecimalNumber(s);
}

std::int16_t ToVersionNumber(double number) {
  double rounded = std::floor(number);
  const double fraction = number - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2) != 0)) rounded += 1;
  if (!(rounded >= -32768 && rounded <= 32767)) ThrowOverflow();
  return static_cast<std::int16_t>(rounded);
}

std::string VersionText(std::int16_t version) { return std::to_string(version); }
