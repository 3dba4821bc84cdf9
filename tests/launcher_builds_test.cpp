#include "launcher_builds.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace {

const std::string kMark = VELMARIS_LAUNCHER_MARK;

// `size` bytes of code-like filler with `text` at `at`.
std::string FileWith(std::string text, std::size_t at, std::size_t size) {
  std::string bytes(size, '\x90');
  return bytes.replace(at, text.size(), text);
}

TEST(WhyPassOver, TheRunningFileItsMarkAndWhatCannotBeRead) {
  using enum platform::ReadRefusal;
  using enum PassOver;
  const std::string near = kMark.substr(0, kMark.size() - 1) + "0";
  const struct {
    bool running, launcher_size;
    std::string bytes;
    platform::ReadRefusal refusal;
    PassOver why;
  } cases[] = {
      {true, true, "MZ", kNone, kRunningFile},
      {true, false, "", kOther, kRunningFile},  // an execute-only hard link
      {false, false, kMark, kNone, kMarked},
      {false, false, FileWith(kMark, kMarkWindow - kMark.size(), 5000), kNone, kMarked},
      {false, false, FileWith(kMark, kMarkWindow - kMark.size() + 1, 5000), kNone, kNo},  // split by the window
      {false, false, FileWith(near, 100, 4096), kNone, kNo},
      {false, false, kMark.substr(0, kMark.size() - 1), kNone, kNo},
      {false, false, kMark.substr(1), kNone, kNo},
      {false, true, "", kNone, kNo},  // a main program of the launcher's size
      {false, true, "", kInUse, kNo},  // its start is tried and the refusal shown
      {false, true, "", kOther, kMayBeCopy},
      {false, false, "", kOther, kNo},
  };
  for (const auto& c : cases) {
    platform::FileHead file{c.running, c.launcher_size, c.bytes, c.refusal};
    EXPECT_EQ(WhyPassOver(file), c.why) << c.running << c.launcher_size << static_cast<int>(c.refusal) << " "
                                        << c.bytes.size() << " bytes";
  }
}

}  // namespace
