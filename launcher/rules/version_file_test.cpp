#include "version_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "failure.h"

TEST(ReadNumber, ReadsTheLongestLeadingNumber) {
  const std::pair<std::string, double> cases[] = {  // text, number
      {"", 0},           {"5", 5},          {"-3", -3},        {"+7", 7},         {"5.5", 5.5},      {".5", 0.5},
      {"5.", 5},         {"1.2.3", 1.2},    {" 1 2 ", 12},     {"1\t2\n3", 123},  {"- 4", -4},       {"5abc", 5},
      {"abc", 0},        {"-", 0},          {".", 0},          {"--5", 0},        {"1e3", 1000},     {"1D2", 100},
      {"2.5e-1", 0.25},  {"1E+2", 100},     {"2e", 2},         {"2e+", 2},        {"1e2e3", 100},    {"1e-400", 0},
      {"1,5", 1},        {"$5", 0},         {"1\r2", 1},       {"&HA0", 160},     {"&haf", 175},     {"&HFFFF", -1},
      {"&H7FFF", 32767}, {"&O177777", -1},  {"&o17", 15},      {"&H 1 0", 16},    {"&H1G", 1},       {"&O8", 0},
      {"&H", 0},         {"&X1", 0},        {"-&H5", 0},       {"12e1", 120},     {"1e12", 1e12},    {"1.5d1", 15},
      {"0000000000012", 12}, {"&H8000", -32768}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&H0000000000FFFF", -1},
      {"&H1@", 1},       {std::string(10000, '0') + "7", 7}, {"0." + std::string(10000, '0') + "1", 0},
      // strtod's other spellings, read as Windows reads them, never by strtod, which on Windows would abort.
      {"0x10", 0},       {"0X1P4", 0},      {"-0x1.8p1", 0},   {" 0 x 1 p 2", 0}, {"1.0x8", 1},       {"1e0x5", 1},
      {"&H0x1", 0},      {"nan", 0},        {"-NAN(1)", 0},    {"inf", 0},        {"+Infinity", 0},  {"1dnan", 1},
      {".5e+inf", 0.5},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(ReadNumber(text), number) << "text: " << text;
  for (const char* text : {"1e400", "-1D309", "&H100000000", "&O40000000000", "1e99999999999"})
    EXPECT_THROW(ReadNumber(text), Failure) << text;
  EXPECT_THROW(ReadNumber(std::string(400, '9')), Failure);
}

TEST(ToVersionNumber, RoundsHalfToEvenWithinSixteenBits) {
  const std::pair<double, int> cases[] = {  // number, version
      {5.5, 6},   {4.5, 4},          {-0.5, 0},        {0.5, 0},          {1.5, 2},
      {-1.5, -2}, {2.4999, 2},       {2.5001, 3},      {32767, 32767},    {32767.4, 32767},
      {-32768, -32768}, {-32768.5, -32768}, {-3, -3},
  };
  for (const auto& [number, version] : cases) EXPECT_EQ(ToVersionNumber(number), version) << number;
  for (double number : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, -1e300})
    EXPECT_THROW(ToVersionNumber(number), Failure) << number;
  EXPECT_EQ(VersionText(ToVersionNumber(-0.5)), "0");
}

// The library's failures carry its own text on every build, filled in, though
// on Windows the launcher replaces the code that makes it.
TEST(RuntimeFailure, SaysWhatTheLibrarySays) {
  std::string text = "no failure";
  try {
    (void)std::string(120, 'x').substr(159);
  } catch (const std::exception& failure) {
    text = failure.what();
  }
  EXPECT_EQ(text, "basic_string::substr: __pos (which is 159) > this->size() (which is 120)");
}
