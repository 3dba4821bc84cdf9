// Reads one value of a profile (INI) file by the rules of the Windows
// profile reader, from raw bytes fed in chunks, with memory bounded by the
// value's capacity rather than by the file's size.
//
// UTF-8 and UTF-16 (LE, BE) byte-order marks are honoured, other files are
// taken as bytes. Lines end at LF, CR or CR LF. Blanks, tabs, vertical tabs,
// form feeds and Ctrl-Z around lines, section names, keys and values do not
// count; ";" starts a comment line; "[name]" opens a section, the name
// running to the line's last "]"; names compare without regard to case and
// end at a NUL. The first matching section and, in it, the first matching
// key win, a key line without "=" giving "". A value that starts and ends
// with the same quote (" or ') loses both; a NUL ends it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How much of a file the launcher reads at a time.
inline constexpr std::size_t kFileChunk = 64 * 1024;

class TrimmedRun {
 public:
  explicit TrimmedRun(std::size_t keep) : keep_(keep) {}
  void Reset();
  void Add(char c);
  bool EqualsNoCase(std::string_view text) const;
  // Length of the whole trimmed run, of which kept() holds the first bytes.
  std::size_t length() const { return length_; }
  std::size_t characters() const { return characters_; }
  bool cut() const { return cut_; }
  const std::string& kept() const { return kept_; }
  char last() const { return last_; }

 private:
  std::size_t keep_;
  std::string kept_;
  std::string blanks_;  // the blanks since the last other character
  std::size_t pending_ = 0;
  std::size_t length_ = 0;
  std::size_t characters_ = 0;
  char last_ = 0;
  bool cut_ = false;  // by a NUL
};

class ProfileReader {
 public:
  // Keeps at most capacity - 1 characters of the value, as the Windows
  // reader does with a buffer of `capacity` characters.
  ProfileReader(std::string_view section, std::string_view key, std::size_t capacity);
  void Feed(std::string_view bytes);
  // True once nothing further in the file can change the value.
  bool Done() const { return state_ == State::kDone; }
  // The value, or "" when the section or key is missing. Call once, after
  // the last Feed.
  std::string Value();

 private:
  enum class Encoding { kUndecided, kBytes, kUtf16Le, kUtf16Be };
  enum class State { kLineStart, kSkipLine, kSection, kKey, kValue, kDone };

  // Where the lines that define nothing end in `bytes`: from `from`, within
  // such a line, to the line end before one that may count, or to the end.
  // The characters that can begin one are looked for by memchr, so lines
  // that cannot count pass at memory speed. `found` holds where each was
  // last found in `bytes`, so that no stretch of it is searched twice.
  std::size_t SkipLines(std::string_view bytes, std::size_t from, std::size_t (&found)[3]) const;
  void DecideEncoding();
  void DecodeUtf16(unsigned char byte);
  void TakeCodePoint(char32_t code_point);
  void Take(char c);
  void EndLine();
  void EndSection();
  void EndKey();

  std::string section_;
  std::string key_;
  std::size_t capacity_;
  Encoding encoding_ = Encoding::kUndecided;
  std::string head_;           // first bytes, until the encoding is known
  std::optional<unsigned char> odd_byte_;  // first byte of a UTF-16 unit
  char32_t high_surrogate_ = 0;
  State state_ = State::kLineStart;
  bool in_section_ = false;
  bool section_closed_ = false;   // the line of a section name has had a "]"
  bool section_matches_ = false;  // the name up to that "]" is the section's
  TrimmedRun name_;
  TrimmedRun value_;
};

// Whether `head`, a file's first bytes, starts with a byte-order mark that
// the Windows profile reader reads as text: it honours UTF-16LE's alone, so
// UTF-8's hides a first line's section and UTF-16BE reads as bytes.
bool HasUnreadMark(std::string_view head);

std::string ReadProfileValue(std::string_view file, std::string_view section,
                             std::string_view key, std::size_t capacity);
