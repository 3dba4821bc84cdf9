#include "main_program.h"

#include <vector>

#include "version_file.h"

std::string MainProgramPattern(std::int16_t version) {
  return "Velmaris" + VersionText(version) + "????.exe";
}

std::string FindMainProgram(const std::string& launcher_folder, std::int16_t version) {
  // Listed in the launcher's own folder, where the program is then started
  // from, not in the current directory, which a shortcut or a terminal can
  // set to any other folder.
  const std::vector<std::string> names =
      platform::ListMatchingFiles(launcher_folder, MainProgramPattern(version));
  return names.empty() ? std::string() : names.back();
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  platform::StartProgram(launcher_folder + platform::kPathSeparator + name, arguments);
}
