#include "file_names.h"

#include <algorithm>
#include <cstddef>

#include "text.h"

namespace {

// Length in bytes of the UTF-8 character that starts at name[i]. A byte
// that starts no sequence (ASCII, or a stray continuation) is one character.
std::size_t CharLength(std::string_view name, std::size_t i) {
  std::size_t end = i + 1;
  if (static_cast<unsigned char>(name[i]) >= 0xC0)
    while (end < name.size() && end - i < 4 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
      ++end;
  return end - i;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  while (p < pattern.size()) {
    if (pattern[p] != '?') {
      if (n >= name.size() || FoldCase(pattern[p]) != FoldCase(name[n])) return false;
      ++p;
      ++n;
      continue;
    }
    std::size_t run = 0;
    while (p < pattern.size() && pattern[p] == '?') ++p, ++run;
    // Before a ".", the run can take no "." and the "." must follow, so it
    // takes exactly the characters up to the next "." in the name: no
    // backtracking is needed.
    const bool before_dot = p < pattern.size() && pattern[p] == '.';
    for (; run > 0 && n < name.size(); --run) {
      if (before_dot && name[n] == '.') break;
      n += CharLength(name, n);
    }
    if (run > 0 && !before_dot) return false;
  }
  return n == name.size();
}

namespace {

// Negative, zero or positive as a comes before, with or after b, in one pass.
int CompareNtfs(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    // Byte order of UTF-8 is code point order.
    const int x = static_cast<unsigned char>(FoldCase(a[i]));
    const int y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x - y;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

bool NtfsNameLess(std::string_view a, std::string_view b) { return CompareNtfs(a, b) < 0; }

void SortNtfs(std::vector<std::string>& names) {
  // POSIX folders can hold names that differ only in case, which NTFS order
  // calls equal; the byte order breaks the tie so the choice is stable.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int order = CompareNtfs(a, b);
    return order != 0 ? order < 0 : a < b;
  });
}
