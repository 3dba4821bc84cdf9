#include "text.h"

Decoded DecodeUtf8(std::string_view text, std::size_t i) {
  constexpr Decoded kMalformed{kReplacementCharacter, 1};
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length;
  char32_t code_point;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07;
  } else {
    return kMalformed;
  }
  if (i + length > text.size()) return kMalformed;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return kMalformed;
    code_point = (code_point << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0x80, 0x800, 0x10000};  // by length, from two bytes
  if (code_point < kSmallest[length - 2] || code_point > 0x10FFFF) return kMalformed;
  return {code_point, length};
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::size_t EncodeUtf16(char32_t cp, Utf16Units& units) {
  if (cp < 0x10000) {
    units[0] = static_cast<char16_t>(cp);
    return 1;
  }
  units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
  units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  return 2;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, CombineSurrogates(unit, text[i + 1]));
      ++i;
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto [cp, length] = DecodeUtf8(text, i);
    i += length;
    Utf16Units units;
    out.append(units.data(), EncodeUtf16(cp, units));
  }
  return out;
}

void ToUtf16Into(char16_t* out, std::size_t capacity, std::string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Decoded character = DecodeUtf8(text, i);
    Utf16Units units;
    const std::size_t count = EncodeUtf16(character.code_point, units);
    if (length + count >= capacity) break;
    for (std::size_t k = 0; k < count; ++k) out[length++] = units[k];
    i += character.length;
  }
  out[length] = u'\0';
}

void AppendForLine(std::string& out, std::string_view text) {
  constexpr auto hex = [](int digit) { return static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10); };
  for (std::size_t i = 0; i < text.size();) {
    const Decoded c = DecodeUtf8(text, i);
    const char32_t cp = c.code_point;
    // C0, DEL and C1, and the line and paragraph separators: NEL (U+0085),
    // U+2028 and U+2029 end a line for a reader that knows Unicode.
    const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
    const bool plain = !control && !IsHighSurrogate(cp) && !IsLowSurrogate(cp) &&
                       !(cp == kReplacementCharacter && c.length == 1);
    for (const std::size_t end = i + c.length; i < end; ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (plain) out += text[i];
      else out += {'\\', 'x', hex(byte >> 4), hex(byte & 15)};
    }
  }
}
