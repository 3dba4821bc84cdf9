#include "version_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failure.h"
#include "fake_platform.h"

namespace {

TEST(ReadNumber, ReadsTheLongestLeadingNumber) {
  const struct {
    std::string text;
    double expected;
  } cases[] = {
      {"", 0},          {"5", 5},          {"-3", -3},        {"+7", 7},
      {"5.5", 5.5},     {".5", 0.5},       {"5.", 5},         {"1.2.3", 1.2},
      {" 1 2 ", 12},    {"1\t2\n3", 123},  {"- 4", -4},       {"5abc", 5},
      {"abc", 0},       {"-", 0},          {".", 0},          {"--5", 0},
      {"1e3", 1000},    {"1D2", 100},      {"2.5e-1", 0.25},  {"1E+2", 100},
      {"2e", 2},        {"2e+", 2},        {"1e2e3", 100},    {"1e-400", 0},
      {"1,5", 1},       {"$5", 0},         {"1\r2", 1},       {"0000000000012", 12},
      {"&H10", 16},     {"&hff", 255},     {"&HFFFF", -1},    {"&H8000", -32768},
      {"&H7FFF", 32767}, {"&O177777", -1}, {"&o17", 15},      {"&H 1 0", 16},
      {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&H0000000000FFFF", -1},
      {"&H1G", 1},      {"&O8", 0},        {"&H", 0},         {"&X1", 0},
      {"-&H5", 0},      {std::string(10000, '0') + "7", 7},
      {"0." + std::string(10000, '0') + "1", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadNumber(c.text), c.expected) << "text: " << c.text;
}

TEST(ReadNumber, OverflowsBeyondADoubleOrThirtyTwoBits) {
  for (const std::string& text : std::vector<std::string>{"1e400", "-1D309", "&H100000000", "&O40000000000",
                                 std::string(400, '9')}) {
    try {
      ReadNumber(text);
      ADD_FAILURE() << "no overflow for " << text;
    } catch (const Failure& failure) {
      EXPECT_STREQ(failure.what(), "Overflow");
    }
  }
}

TEST(ToVersionNumber, RoundsHalfToEvenWithinSixteenBits) {
  const struct {
    double number;
    int expected;
  } cases[] = {
      {5.5, 6},   {4.5, 4},          {-0.5, 0},        {0.5, 0},          {1.5, 2},
      {-1.5, -2}, {2.4999, 2},       {2.5001, 3},      {32767, 32767},    {32767.4, 32767},
      {-32768, -32768}, {-32768.5, -32768}, {-3, -3},
  };
  for (const auto& c : cases) EXPECT_EQ(ToVersionNumber(c.number), c.expected) << c.number;
  for (double number : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, -1e300})
    EXPECT_THROW(ToVersionNumber(number), Failure) << number;
}

TEST(VersionText, PlainDecimal) {
  EXPECT_EQ(VersionText(0), "0");
  EXPECT_EQ(VersionText(5), "5");
  EXPECT_EQ(VersionText(-3), "-3");
  EXPECT_EQ(VersionText(32767), "32767");
  EXPECT_EQ(VersionText(-32768), "-32768");
  EXPECT_EQ(VersionText(ToVersionNumber(-0.5)), "0");
}

TEST(ReadAppVersion, ReadsVersionIniBesideTheLauncher) {
  Fake() = FakePlatform();
  Fake().launcher_folder = "C:\\Apps\\";
  EXPECT_EQ(ReadAppVersion("C:\\Apps\\"), 0) << "no version.ini";
  // Joined without looking at the trailing separator.
  Fake().profile_values["C:\\Apps\\\\version.ini"] = "12";
  EXPECT_EQ(ReadAppVersion("C:\\Apps\\"), 12);
  // A buffer of 100 characters keeps 99 of them.
  Fake().profile_values["C:\\Apps\\\\version.ini"] = std::string(98, '0') + "12";
  EXPECT_EQ(ReadAppVersion("C:\\Apps\\"), 1);
  Fake().profile_values["C:\\Apps\\\\version.ini"] = "32767.5";
  EXPECT_THROW(ReadAppVersion("C:\\Apps\\"), Failure);
}

}  // namespace
