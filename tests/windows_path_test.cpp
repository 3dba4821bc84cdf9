#include "windows_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LongPath, PrefixesOnlyPathsTheSystemCutsShort) {
  const std::wstring at_limit = L"C:\\" + std::wstring(257, L'a'), share = L"\\\\server\\" + std::wstring(260, L's');
  EXPECT_EQ(LongPath(at_limit.substr(1)), at_limit.substr(1));  // 259 units and the terminator fit
  EXPECT_EQ(LongPath(at_limit), L"\\\\?\\" + at_limit);
  EXPECT_EQ(LongPath(share), L"\\\\?\\UNC\\server\\" + std::wstring(260, L's'));
  EXPECT_EQ(LongPath(L"\\\\?\\" + at_limit), L"\\\\?\\" + at_limit);
}

}  // namespace
