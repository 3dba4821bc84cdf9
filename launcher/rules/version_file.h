// How the value of "AppVers" in "version.ini" names the current version:
// the rules alone, which ask nothing of the platform (see ReadAppVersion).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The numeric reading of a text: blanks, tabs and line feeds anywhere are
// dropped, then the longest leading number is read ("12abc" is 12, "abc" is
// 0). Decimal point is always "."; exponents use E or D; "&H" and "&O"
// introduce hexadecimal and octal. Throws Failure("Overflow") for a number
// no double can hold and for a hexadecimal or octal value over 32 bits.
double ReadNumber(std::string_view text);

// Rounds half to even and checks the 16-bit range; throws Failure("Overflow").
std::int16_t ToVersionNumber(double number);

std::string VersionText(std::int16_t version);
