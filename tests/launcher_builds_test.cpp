#include "launcher_builds.h"

#include <gtest/gtest.h>

#include <string>

TEST(WhyPassOver, TheRunningFileItsMarkAndWhatCannotBeRead) {
  using enum platform::ReadRefusal;
  using enum PassOver;
  const std::string mark = VELMARIS_LAUNCHER_MARK, code(kMarkWindow + 500, '\x90');
  const auto at = [&](std::size_t offset, std::string text) { return std::string(code).replace(offset, text.size(), text); };
  const struct { bool running, launcher_size; std::string bytes; platform::ReadRefusal refusal; PassOver why; } cases[] = {
      {true, true, "MZ", kNone, kRunningFile}, {true, false, "", kOther, kRunningFile},  // an execute-only hard link
      {false, false, mark, kNone, kMarked},
      {false, false, at(kMarkWindow - mark.size(), mark), kNone, kMarked},
      {false, false, at(kMarkWindow - mark.size() + 1, mark), kNone, kNo},  // split by the window's end
      {false, false, at(100, mark.substr(0, mark.size() - 1) + "0"), kNone, kNo},
      {false, false, mark.substr(0, mark.size() - 1), kNone, kNo}, {false, false, mark.substr(1), kNone, kNo},
      {false, true, "", kNone, kNo},  // a main program of the launcher's size
      {false, true, "", kInUse, kNo},  // its start is tried and the refusal shown
      {false, true, "", kOther, kMayBeCopy}, {false, false, "", kOther, kNo},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WhyPassOver({c.running, c.launcher_size, c.bytes, c.refusal}), c.why) << "case " << &c - cases;
}
