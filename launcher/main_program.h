// The steps of a start that ask the platform: reading the current version,
// choosing the main-program executable for it, and starting it.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

// Version number from folder + separator + "version.ini", key "AppVers" of
// section "Version". A missing file, section or key gives 0; an out-of-range
// value, or a file that is there but cannot be read, throws Failure.
std::int16_t ReadAppVersion(const std::string& launcher_folder);

// "Velmaris" + version text + "????.exe": the version, then up to four
// characters other than ".", then ".exe".
std::string MainProgramPattern(std::int16_t version);

// The name that an NTFS listing of the launcher folder yields last for the
// version's pattern, passing over the launcher and its other builds, or ""
// when nothing else matches. Throws Failure when the listing fails.
std::string FindMainProgram(const std::string& launcher_folder, std::int16_t version);

// Starts folder + separator + name with the launcher's own arguments, and
// does not wait. Throws Failure when the platform refuses the start.
void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments);
