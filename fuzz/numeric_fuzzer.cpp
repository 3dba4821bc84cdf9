// The numeric reading and the version rule on any text: no crash, and every
// result is one the rules allow.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "failure.h"
#include "version_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double number;
  try {
    number = ReadNumber(text);
  } catch (const Failure&) {
    return 0;  // too large for a double, or a radix value over 32 bits
  }
  if (!std::isfinite(number)) __builtin_trap();
  try {
    const std::int16_t version = ToVersionNumber(number);
    if (std::fabs(number - version) > 0.5) __builtin_trap();
    if (std::stoi(VersionText(version)) != version) __builtin_trap();
  } catch (const Failure&) {
    // Overflow is right only for numbers that round outside 16 bits.
    if (number > -32768.5 && number < 32767.5) __builtin_trap();
  }
  return 0;
}
