#include "file_names.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>

#include "text.h"

namespace {

struct UpcaseRun {
  char16_t first, delta;  // units first to first + span, step apart, move by delta
  unsigned char span, step;
};

constexpr UpcaseRun kUpcaseRuns[] = {
#include "upcase.inc"
};

// The character at name[i]. A byte that starts no character stands for
// itself as one of U+DC80 to U+DCFF, as names that are no UTF-8 travel in
// Python, so that two such names never compare equal.
Decoded NameCharacter(std::string_view name, std::size_t i) {
  Decoded character = DecodeUtf8(name, i);
  if (character.code_point == kReplacementCharacter && character.length == 1)
    character.code_point = 0xDC00 | static_cast<unsigned char>(name[i]);
  return character;
}

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

char32_t UpcaseCharacter(char32_t code_point) {
  return code_point < 0x10000 ? Upcase(static_cast<char16_t>(code_point)) : code_point;
}

// A name's UTF-16 units as NTFS compares them, upper-cased, one at a time.
class NtfsUnits {
 public:
  explicit NtfsUnits(std::string_view name) : name_(name) {}

  // The next unit, or none past the end.
  std::optional<char16_t> Next() {
    if (next_ == count_) {
      if (at_ == name_.size()) return std::nullopt;
      const Decoded character = NameCharacter(name_, at_);
      at_ += character.length;
      count_ = EncodeUtf16(UpcaseCharacter(character.code_point), units_);
      next_ = 0;
    }
    return units_[next_++];
  }

 private:
  std::string_view name_;
  std::size_t at_ = 0;
  Utf16Units units_{};
  std::size_t count_{}, next_{};  // units_ holds count_ units, of which next_ were given
};

}  // namespace

char16_t Upcase(char16_t unit) {
  // Names are mostly ASCII, and a folder of candidates is compared name by
  // name: the table's search is for the rest.
  if (unit < 0x80) return unit >= 'a' && unit <= 'z' ? static_cast<char16_t>(unit - 'a' + 'A') : unit;
  const auto after = std::upper_bound(std::begin(kUpcaseRuns), std::end(kUpcaseRuns), unit,
                                      [](char16_t u, const UpcaseRun& run) { return u < run.first; });
  if (after == std::begin(kUpcaseRuns)) return unit;
  const UpcaseRun& run = *std::prev(after);
  if (unit - run.first > run.span || (unit - run.first) % run.step != 0) return unit;
  return static_cast<char16_t>(unit + run.delta);
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  while (p < pattern.size()) {
    if (pattern[p] == '*' && p + 1 == pattern.size()) return true;
    if (pattern[p] != '?') {
      if (n >= name.size()) return false;
      // The common case, without decoding: no character beyond ASCII is
      // upper-cased into it, so an ASCII pattern character takes no other.
      if (IsAscii(pattern[p])) {
        if (pattern[p] != name[n] && Upcase(pattern[p]) != Upcase(name[n])) return false;
        ++p, ++n;
        continue;
      }
      const Decoded want = NameCharacter(pattern, p), have = NameCharacter(name, n);
      if (UpcaseCharacter(want.code_point) != UpcaseCharacter(have.code_point)) return false;
      p += want.length;
      n += have.length;
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
      n += IsAscii(name[n]) ? 1 : NameCharacter(name, n).length;
    }
    if (run > 0 && !before_dot) return false;
  }
  return n == name.size();
}

int CompareNtfs(std::string_view a, std::string_view b) {
  // Unit by unit, without building either key: a folder of a thousand
  // candidates is compared in the time it takes to list it.
  // ASCII is its own UTF-16: a common ASCII prefix needs no decoding.
  const auto same = [](char x, char y) { return IsAscii(x) && IsAscii(y) && Upcase(x) == Upcase(y); };
  const auto [end_of_a, end_of_b] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(), same);
  NtfsUnits left(std::string_view(end_of_a, a.end())), right(std::string_view(end_of_b, b.end()));
  for (;;) {
    // A name that ends first orders first, as nullopt does.
    const std::optional<char16_t> x = left.Next(), y = right.Next();
    if (x != y || !x) return (x > y) - (x < y);
  }
}

bool NtfsLess(std::string_view a, std::string_view b) {
  // POSIX folders can hold names that NTFS order calls equal (differing
  // only in case); their bytes break the tie so that the choice is stable.
  const int order = CompareNtfs(a, b);
  return order < 0 || (order == 0 && a < b);
}
