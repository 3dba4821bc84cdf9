// Conversion between the core's UTF-8 and the UTF-16 of Windows' wide API.
// Unpaired surrogates, which Windows allows in file names and command
// lines, travel as their three-byte forms (WTF-8), so that a round trip
// gives back the same UTF-16.
#pragma once

#include <string>
#include <string_view>

// Letters a to z as A to Z, every other byte as it is: how Windows compares
// the names this launcher deals in (sections, keys, file names).
inline char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void AppendUtf8(std::string& out, char32_t code_point);

std::string ToUtf8(std::u16string_view text);

// Bytes that form no character become U+FFFD each.
std::u16string ToUtf16(std::string_view text);
