// Conversion between the core's UTF-8 and the UTF-16 of Windows' wide API.
// Unpaired surrogates, which Windows allows in file names and command
// lines, travel as their three-byte forms (WTF-8), so that a round trip
// gives back the same UTF-16.
#pragma once

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

// One unit, or a surrogate pair past U+FFFF.
void AppendUtf16(std::u16string& out, char32_t code_point);

std::string ToUtf8(std::u16string_view text);

// Bytes that form no character become U+FFFD each.
std::u16string ToUtf16(std::string_view text);
