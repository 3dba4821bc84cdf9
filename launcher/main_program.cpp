#include "main_program.h"

#include <algorithm>
#include <cstddef>

#include "file_names.h"
#include "version_file.h"

namespace {

// The value buffer, in characters: the profile reader keeps 99 of a value.
constexpr std::size_t kValueBufferSize = 100;

}  // namespace

std::int16_t ReadAppVersion(const std::string& launcher_folder) {
  const std::string path = platform::JoinPath(launcher_folder, "version.ini");
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
  std::vector<platform::Candidate> candidates =
      platform::ListMatchingFiles(launcher_folder, MainProgramPattern(version));
  // NTFS lists names in its own order, and the last one it yields counts.
  // A launcher named like a main program, or copied under such a name, must
  // not be started: it would start itself, or its copy it, for ever. Only
  // the name that would be started is asked, then the next.
  while (!candidates.empty()) {
    const auto last = std::max_element(candidates.begin(), candidates.end(),
                                       [](const auto& a, const auto& b) { return NtfsLess(a.name, b.name); });
    if (!last->could_be_launcher || !platform::IsLauncherOrCopy(platform::JoinPath(launcher_folder, last->name)))
      return last->name;
    candidates.erase(last);
  }
  return "";
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  platform::StartProgram(platform::JoinPath(launcher_folder, name), arguments);
}
