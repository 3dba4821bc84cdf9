#include "launcher_builds.h"

#include <gtest/gtest.h>

#include <string>

// Each case names only what sets its file apart; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

TEST(WhyPassOver, TheRunningFileItsMarkAndWhatCannotBeRead) {
  using enum ReadRefusal;
  using enum PassOver;
  const std::string mark = VELMARIS_LAUNCHER_MARK, code(kMarkWindow + 500, '\x90');
  const auto at = [&](std::size_t offset, std::string text) { return std::string(code).replace(offset, text.size(), text); };
  const std::string last_byte_off = mark.substr(0, mark.size() - 1) + "0";
  const struct { const char* name; FileHead file; PassOver why; } cases[] = {
      {"the running file", {.is_running_file = true, .has_launcher_size = true, .bytes = "MZ"}, kRunningFile},
      {"the running file, by an execute-only link", {.is_running_file = true, .refusal = kOther}, kRunningFile},
      {"the mark alone", {.bytes = mark}, kMarked},
      {"the mark ending at the window's end", {.bytes = at(kMarkWindow - mark.size(), mark)}, kMarked},
      {"the mark split by the window's end", {.bytes = at(kMarkWindow - mark.size() + 1, mark)}, kNo},
      {"the mark but its last character", {.bytes = at(100, last_byte_off)}, kNo},
      {"the mark without its last character", {.bytes = mark.substr(0, mark.size() - 1)}, kNo},
      {"the mark without its first character", {.bytes = mark.substr(1)}, kNo},
      {"a main program of the launcher's size", {.has_launcher_size = true}, kNo},
      {"held unshared, of the launcher's size: its start is tried", {.has_launcher_size = true, .refusal = kInUse}, kNo},
      {"unreadable, of the launcher's size: maybe a copy", {.has_launcher_size = true, .refusal = kOther}, kMayBeCopy},
      {"unreadable, of another size", {.refusal = kOther}, kNo},
  };
  for (const auto& c : cases) EXPECT_EQ(WhyPassOver(c.file), c.why) << c.name;
}
