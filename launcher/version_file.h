// Which version of the main program is current: key "AppVers" of section
// "Version" in "version.ini" beside the launcher.
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

// Version number from folder + separator + "version.ini". A missing file,
// section or key gives 0; an out-of-range value throws Failure("Overflow").
std::int16_t ReadAppVersion(const std::string& launcher_folder);
