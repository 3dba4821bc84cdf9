#include "main_program.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "file_names.h"
#include "launcher_builds.h"
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

namespace {

// The name that a listing yields last in NTFS order, of those before
// `before` when that is not empty. Only it is kept: a folder of a thousand
// candidates costs the launcher no more memory than one.
struct LastCandidate {
  std::string_view before;
  std::string name;

  static void Take(void* context, std::string_view name) {
    auto& last = *static_cast<LastCandidate*>(context);
    if ((!last.before.empty() && !NtfsLess(name, last.before)) || (!last.name.empty() && !NtfsLess(last.name, name)))
      return;
    last.name = name;
  }
};

}  // namespace

std::string FindMainProgram(const std::string& launcher_folder, std::int16_t version) {
  // Listed in the launcher's own folder, where the program is then started
  // from, not in the current directory, which a shortcut or a terminal can
  // set to any other folder.
  const std::string pattern = MainProgramPattern(version);
  // Only the name that would be started is asked whether it is a build of
  // the launcher; when it is, the folder is listed again for the names
  // before it, so that the other candidates cost nothing.
  std::string passed_over;
  for (;;) {
    LastCandidate last{passed_over, {}};
    platform::ListMatchingFiles(launcher_folder, pattern, &LastCandidate::Take, &last);
    if (last.name.empty() ||
        WhyPassOver(platform::ReadFileHead(platform::JoinPath(launcher_folder, last.name), kMarkWindow)) ==
            PassOver::kNo)
      return last.name;
    passed_over = std::move(last.name);
  }
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  platform::StartProgram(platform::JoinPath(launcher_folder, name), arguments);
}
