#include "text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace std::string_literals;

TEST(Utf16, RoundTripsWhatWindowsCanHoldAndReplacesWhatItCannot) {
  // Unpaired surrogates, as Windows allows in names, travel unchanged.
  for (const std::u16string& text : {u"\u00a0\u00e9t\u00e9 \u07ff\u0800\u65e5\uffff\U00010000\U0010FFFF"s, u"x\xDC00\xD800"s})
    EXPECT_EQ(ToUtf16(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"\u007f\u0080\u07ff\u0800\xD800x\U00010000\U0010FFFF"),  // a pair at the very end too
            "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\xA0\x80x\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  // Bytes that form no character (a lead past F4, strays, a cut, overlong or too large sequence) become U+FFFD each.
  EXPECT_EQ(ToUtf16("a\xF8\x90\x80\x80" "\xE6\x97" "\xC0\xAF" "\xF4\x90\x80\x80"), u"a" + std::u16string(12, 0xFFFD));
}

TEST(ToUtf16Into, CutsToFitWithItsTerminatorAndNeverHalfAPair) {
  const std::pair<std::size_t, std::u16string> cases[] = {  // capacity, what "a\u00e9\U0001F600b" becomes
      {1, u""}, {2, u"a"}, {3, u"a\u00e9"}, {4, u"a\u00e9"}, {5, u"a\u00e9\U0001F600"}, {9, u"a\u00e9\U0001F600b"}};
  for (const auto& [capacity, text] : cases) {
    char16_t out[9] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    ToUtf16Into(out, capacity, "a\xC3\xA9\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(std::u16string(out), text) << capacity;
  }
}

TEST(AppendForLine, KeepsCharactersAndSpellsOutTheRestByteForByte) {
  const std::pair<std::string, std::string> cases[] = {  // text, its line
      {"a \u00e9 \u65e5 \U0001F600 ~ \uFFFD \\x", "a \u00e9 \u65e5 \U0001F600 ~ \uFFFD \\x"},
      {"a\nstarted: b\r\t\x1B[2J\x7F", "a\\x0astarted: b\\x0d\\x09\\x1b[2J\\x7f"},
      {"\xFF.exe\xC3", "\\xff.exe\\xc3"}, {"\xED\xA0\x80\xED\xBF\xBF", "\\xed\\xa0\\x80\\xed\\xbf\\xbf"},
      {"\x1F \x20"s + '\0' + "~", "\\x1f  \\x00~"},  // the edges of the controls
      {"x\u0085started: \u0080\u009F\u00A0 \u2027\u2028\u2029\u202A",  // NEL, C1, the separators, and their edges
       "x\\xc2\\x85started: \\xc2\\x80\\xc2\\x9f\u00A0 \u2027\\xe2\\x80\\xa8\\xe2\\x80\\xa9\u202A"},
  };
  for (const auto& [text, line] : cases) {
    std::string out = "> ";
    AppendForLine(out, text);
    EXPECT_EQ(out, "> " + line) << text;
  }
}
