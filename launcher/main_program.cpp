#include "main_program.h"

#include <cstddef>

#include "file_names.h"
#include "version_file.h"

namespace {

// The value buffer, in characters: the profile reader keeps 99 of a value.
constexpr std::size_t kValueBufferSize = 100;

}  // namespace

std::int16_t ReadAppVersion(const std::string& launcher_folder) {
  const std::string path = launcher_folder + platform::kPathSeparator + "version.ini";
  const std::string value = platform::ReadProfileString(path, "Version", "AppVers", kValueBufferSize);
  return ToVersionNumber(ReadNumber(value));
}

std::string MainProgramPattern(std::int16_t version) {
  return "Velmaris" + VersionText(version) + "????.exe";
}

std::string FindMainProgram(const std::string& launcher_folder, std::int16_t version) {
  // Listed in the launcher's own folder, where the program is then started
  // from, not in the current directory, which a shortcut or a terminal can
  // set to any other folder.
  // NTFS lists names in its own order, and the last one it yields counts.
  return LastInNtfsOrder(platform::ListMatchingFiles(launcher_folder, MainProgramPattern(version)));
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  platform::StartProgram(launcher_folder + platform::kPathSeparator + name, arguments);
}
