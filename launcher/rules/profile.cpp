#include "profile.h"

#include <algorithm>

#include "text.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// What the Windows profile reader trims around names and values: blank,
// tab, vertical tab, form feed, and Ctrl-Z, the DOS end-of-file mark that
// some files carry (CR and LF end lines before they can be trimmed).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

// Letters a to z as A to Z. The names looked for ("Version", "AppVers") are
// ASCII, and no other character upper-cases into ASCII (see Upcase), so
// this is how Windows compares them.
char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsUtf8Lead(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The first `count` UTF-8 characters of `text`.
std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size(); ++end) {
    if (IsUtf8Lead(text[end]) && seen++ == count) break;
  }
  return text.substr(0, end);
}

}  // namespace

void TrimmedRun::Reset() { *this = TrimmedRun(keep_); }

void TrimmedRun::Add(char c) {
  if (cut_) return;
  if (IsBlank(c)) {
    // Blanks count only once something follows them.
    if (length_ == 0) return;
    ++pending_;
    if (blanks_.size() < keep_) blanks_ += c;
    return;
  }
  if (pending_ > 0) {
    kept_.append(blanks_, 0, keep_ - kept_.size());  // as many as there is room for
    length_ += pending_;
    characters_ += pending_;
    pending_ = 0;
    blanks_.clear();
  }
  // The reader keeps names as C strings: a NUL ends one, after the blanks
  // before it.
  if (c == '\0') {
    cut_ = true;
    return;
  }
  if (kept_.size() < keep_) kept_ += c;
  ++length_;
  characters_ += IsUtf8Lead(c);
  last_ = c;
}

bool TrimmedRun::EqualsNoCase(std::string_view text) const {
  return length_ == text.size() &&
         std::equal(text.begin(), text.end(), kept_.begin(), kept_.end(),
                    [](char a, char b) { return FoldCase(a) == FoldCase(b); });
}

ProfileReader::ProfileReader(std::string_view section, std::string_view key, std::size_t capacity)
    : section_(section),
      key_(key),
      capacity_(capacity),
      name_(std::max(section.size(), key.size())),
      // Room for what the buffer holds, characters of up to four bytes, with
      // the opening quote of a quoted value.
      value_(4 * capacity) {}

void ProfileReader::Feed(std::string_view bytes) {
  // Where SkipLines found each character last. A 0 to begin with passes for
  // a find that it then rejects: no line begins where a skip begins.
  std::size_t found[3] = {};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (Done()) return;
    if (encoding_ == Encoding::kUndecided) {
      head_ += bytes[i];
      if (head_.size() == kUtf8Mark.size()) DecideEncoding();  // the longest mark
    } else if (encoding_ != Encoding::kBytes) {
      DecodeUtf16(static_cast<unsigned char>(bytes[i]));
    } else {
      if (state_ == State::kSkipLine) {
        i = SkipLines(bytes, i, found);
        if (i == bytes.size()) return;
      }
      Take(bytes[i]);
    }
  }
}

std::size_t ProfileReader::SkipLines(std::string_view bytes, std::size_t from, std::size_t (&found)[3]) const {
  const std::size_t none = bytes.size();
  // The line end before the blanks that lead up to `at`, if it comes after
  // `from`; at or before it, the blanks belong to the line that is skipped.
  const auto line_end_before = [&](std::size_t at) {
    while (at != from && IsBlank(bytes[at - 1])) --at;
    return at != from && (bytes[at - 1] == '\n' || bytes[at - 1] == '\r') ? at - 1 : none;
  };
  // Only these begin a line that may count: a section's "[" and, in the
  // section, the key's first letter in either case (an empty key's NUL).
  // Any other found as well costs time, not truth: a line handed back is
  // read character by character. Blanks after the last line end begin a
  // line that the next bytes tell.
  const char key = FoldCase(key_.c_str()[0]);
  const char firsts[] = {'[', key, static_cast<char>(key | 0x20)};
  std::size_t next = line_end_before(none);
  for (int k = 0; k < (in_section_ ? 3 : 1); ++k) {
    for (std::size_t search = from;; search = found[k] + 1) {
      if (found[k] < search) found[k] = std::min(bytes.find(firsts[k], search), none);
      if (found[k] >= next) break;
      next = std::min(next, line_end_before(found[k]));
    }
  }
  return next;
}

void ProfileReader::DecideEncoding() {
  std::string_view head = head_;
  if (head.starts_with(kUtf8Mark)) {
    encoding_ = Encoding::kBytes;
    head.remove_prefix(kUtf8Mark.size());
  } else if (head.starts_with("\xFF\xFE")) {
    encoding_ = Encoding::kUtf16Le;
    head.remove_prefix(2);
  } else if (head.starts_with("\xFE\xFF")) {
    encoding_ = Encoding::kUtf16Be;
    head.remove_prefix(2);
  } else {
    encoding_ = Encoding::kBytes;
  }
  const std::string rest(head);
  head_.clear();
  Feed(rest);
}

void ProfileReader::DecodeUtf16(unsigned char byte) {
  if (!odd_byte_) {
    odd_byte_ = byte;
    return;
  }
  const char32_t unit = encoding_ == Encoding::kUtf16Le ? (byte << 8) | *odd_byte_ : (*odd_byte_ << 8) | byte;
  odd_byte_.reset();
  // Within a line that defines nothing only its end counts.
  if (state_ == State::kSkipLine && unit != '\n' && unit != '\r') return;
  // Unpaired surrogates stay as they are, in their three-byte forms
  // (WTF-8), as the wide reader hands them on.
  if (high_surrogate_ != 0) {
    const char32_t high = high_surrogate_;
    high_surrogate_ = 0;
    if (IsLowSurrogate(unit)) {
      TakeCodePoint(CombineSurrogates(high, unit));
      return;
    }
    TakeCodePoint(high);
  }
  if (IsHighSurrogate(unit)) high_surrogate_ = unit;
  else TakeCodePoint(unit);
}

void ProfileReader::TakeCodePoint(char32_t code_point) {
  std::string bytes;
  AppendUtf8(bytes, code_point);
  for (char c : bytes) Take(c);
}

void ProfileReader::Take(char c) {
  if (c == '\n' || c == '\r') {
    EndLine();
    return;
  }
  switch (state_) {
    case State::kLineStart:
      if (IsBlank(c)) return;
      name_.Reset();
      if (c == ';') {
        state_ = State::kSkipLine;
      } else if (c == '[') {
        state_ = State::kSection;
        section_closed_ = false;
      } else if (in_section_ && (c | 0x20) == (key_.c_str()[0] | 0x20)) {
        state_ = State::kKey;  // only here: a key line is read in the section alone
        Take(c);
      } else {
        // Only the key, in the section, counts: a line that cannot begin it
        // is skipped at once, and many short ones at memchr's speed.
        state_ = State::kSkipLine;
      }
      return;
    case State::kSection:
      // The name runs to the last "]" of the line, which only its end shows.
      if (c == ']') {
        section_closed_ = true;
        section_matches_ = name_.EqualsNoCase(section_);
      }
      name_.Add(c);
      return;
    case State::kKey:
      if (c == '=') {
        EndKey();
      } else {
        name_.Add(c);
        // Longer than the key already, or ended by a NUL as another name:
        // whatever follows, the line defines nothing the reader looks for.
        if (name_.length() > key_.size() || (name_.cut() && !name_.EqualsNoCase(key_))) state_ = State::kSkipLine;
      }
      return;
    case State::kValue:
      if (c == '\0') state_ = State::kDone;
      else value_.Add(c);
      return;
    case State::kSkipLine:
    case State::kDone:
      return;
  }
}

void ProfileReader::EndLine() {
  if (state_ == State::kSection && section_closed_) {
    EndSection();
  } else if (state_ == State::kKey && name_.EqualsNoCase(key_)) {
    // The key without "=": the first of the name counts, and it has no
    // value, so the reader gives its default, "", as for no key at all.
    state_ = State::kDone;
    return;
  }
  // A section line without "]" and other key lines without "=" define nothing.
  if (state_ == State::kValue) state_ = State::kDone;
  else if (state_ != State::kDone) state_ = State::kLineStart;
}

void ProfileReader::EndSection() {
  // Only the first section of the name is searched, as Windows does.
  if (in_section_) {
    state_ = State::kDone;
    return;
  }
  in_section_ = section_matches_;
}

void ProfileReader::EndKey() {
  if (name_.length() > 0 && name_.EqualsNoCase(key_)) {
    value_.Reset();
    state_ = State::kValue;
  } else {
    state_ = State::kSkipLine;
  }
}

std::string ProfileReader::Value() {
  if (encoding_ == Encoding::kUndecided) DecideEncoding();
  if (high_surrogate_ != 0) TakeCodePoint(high_surrogate_);
  // A key never found leaves the value empty; a buffer of no characters holds none.
  if (capacity_ == 0) return "";
  std::string text = value_.kept();
  const std::size_t length = value_.length();
  if (length < 2 || (text[0] != '"' && text[0] != '\'') || value_.last() != text[0])
    return FirstCharacters(text, capacity_ - 1);
  // Quotes are taken off the whole value, then it is cut to the buffer; a
  // value that fills the buffer to its last place but the closing quote
  // loses one character more, as the reader drops the buffer's last.
  text = text.substr(1, length - 2);  // what was kept of it, when it was longer
  return FirstCharacters(text, capacity_ - (value_.characters() == capacity_ + 1 ? 2 : 1));
}

bool HasUnreadMark(std::string_view head) {
  return head.starts_with(kUtf8Mark) || head.starts_with("\xFE\xFF");
}

std::string ReadProfileValue(std::string_view file, std::string_view section,
                             std::string_view key, std::size_t capacity) {
  ProfileReader reader(section, key, capacity);
  reader.Feed(file);
  return reader.Value();
}
