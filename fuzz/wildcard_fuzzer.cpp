// The wildcard matcher and the NTFS upper-casing on any pattern and name
// (split at the first NUL): no crash, every name matches itself and its
// ASCII capitals, and the NTFS order is an order.
#include <cstdint>
#include <string>
#include <string_view>

#include "file_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view pattern = input.substr(0, nul);
  const std::string_view name = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  MatchesWildcard(pattern, name);
  if (!MatchesWildcard(name, name) || !MatchesWildcard(pattern, pattern)) __builtin_trap();
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (!MatchesWildcard(upper, name) || CompareNtfs(upper, name) != 0) __builtin_trap();
  // An order: antisymmetric, and strict once bytes break ties.
  if ((CompareNtfs(pattern, name) < 0) != (CompareNtfs(name, pattern) > 0)) __builtin_trap();
  if (pattern != name && NtfsLess(pattern, name) == NtfsLess(name, pattern)) __builtin_trap();
  return 0;
}
