// Conversion between the core's UTF-8 and the UTF-16 of Windows' wide API.
// Unpaired surrogates, which Windows allows in file names and command
// lines, travel as their three-byte forms (WTF-8), so that a round trip
// gives back the same UTF-16.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

struct Decoded {
  char32_t code_point;
  std::size_t length;
};

// The character at text[i]: U+FFFD of length 1 on anything malformed
// (overlong forms, stray or missing continuations, past U+10FFFF).
// Surrogates decode as themselves (WTF-8).
Decoded DecodeUtf8(std::string_view text, std::size_t i);

void AppendUtf8(std::string& out, char32_t code_point);

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// A code point's UTF-16: one unit, or a surrogate pair past U+FFFF.
using Utf16Units = std::array<char16_t, 2>;
// Gives how many of `units` it filled.
std::size_t EncodeUtf16(char32_t code_point, Utf16Units& units);

std::string ToUtf8(std::u16string_view text);

// Bytes that form no character become U+FFFD each.
std::u16string ToUtf16(std::string_view text);

// `text` as UTF-16 into `out`, as much as fits with a terminating zero in
// `capacity` units (which must be at least 1), never half a pair: for what
// must be shown when memory is what failed.
void ToUtf16Into(char16_t* out, std::size_t capacity, std::string_view text);

// Appends `text` fit for one line of a log that is UTF-8: each byte of a
// control character (C0, DEL, C1), of a line or paragraph separator, of a
// surrogate, and each byte that forms no character, as \xNN.
void AppendForLine(std::string& out, std::string_view text);
