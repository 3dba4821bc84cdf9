// The profile reader on any file: no crash, at most 99 characters, and the
// same value however the bytes are split into chunks.
#include <cstdint>
#include <string>
#include <string_view>

#include "profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const std::string whole = ReadProfileValue(file, "Version", "AppVers", 100);
  std::size_t characters = 0;
  for (char c : whole) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (characters > 99) __builtin_trap();

  ProfileReader split("Version", "AppVers", 100);
  const std::size_t at = size == 0 ? 0 : data[0] % size;
  split.Feed(file.substr(0, at));
  for (std::size_t i = at; i < size; i += 7) split.Feed(file.substr(i, 7));
  if (split.Value() != whole) __builtin_trap();
  return 0;
}
