#include "main_program.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "failure.h"
#include "file_names.h"
#include "launcher_builds.h"
#include "trace.h"
#include "version_file.h"

namespace {

// The value buffer, in characters: the profile reader keeps 99 of a value.
constexpr std::size_t kValueBufferSize = 100;

// Why an entry is passed over, as the trace says it. Rows of characters,
// not pointers, which the Windows build would have to relocate each.
std::string_view Why(platform::EntryKind kind) {
  static constexpr char kWhy[][19] = {"", ": a folder", ": hidden or system", ": no plain file"};
  return kWhy[static_cast<int>(kind)];
}

std::string_view Why(PassOver why) {
  switch (why) {
    case PassOver::kNo: return "";
    case PassOver::kRunningFile: return ": the launcher itself";
    case PassOver::kMarked: return ": carries the launcher's mark";
    case PassOver::kMayBeCopy: return ": cannot be read, and has the launcher's size";
  }
  return "";
}

// The plain file that an NTFS listing yields first.
struct FirstPlainFile {
  std::string name;

  static void Take(void* context, std::string_view name, platform::EntryKind kind) {
    auto& first = *static_cast<FirstPlainFile*>(context);
    if (kind == platform::EntryKind::kPlain && (first.name.empty() || NtfsLess(name, first.name))) first.name = name;
  }
};

}  // namespace

std::int16_t ReadAppVersion(const std::string& launcher_folder) {
  std::string path = platform::JoinPath(launcher_folder, "version.ini");
  std::optional<std::string> value;
  try {
    value = platform::ReadProfileString(path, "Version", "AppVers", kValueBufferSize);
    // Windows finds "VERSION.INI" by the name "version.ini"; POSIX, whose
    // names differ in case, is asked for the spelling Windows would find,
    // only when the exact one is missing.
    FirstPlainFile other;
    if (!value) platform::ListMatchingFiles(launcher_folder, "version.ini", &FirstPlainFile::Take, &other);
    if (!other.name.empty()) {
      path = platform::JoinPath(launcher_folder, other.name);
      value = platform::ReadProfileString(path, "Version", "AppVers", kValueBufferSize);
    }
  } catch (const Failure& failure) {
    trace::Line({"version.ini: ", path, ": unreadable: ", failure.what()});
    throw;
  }
  trace::Line({"version.ini: ", path, value ? ": read" : ": missing"});
  trace::Line({"AppVers: \"", value.value_or(""), "\""});
  const std::int16_t version = ToVersionNumber(ReadNumber(value.value_or("")));
  if (trace::On()) trace::Line({"version: ", VersionText(version)});
  return version;
}

std::string MainProgramPattern(std::int16_t version) {
  return "Velmaris" + VersionText(version) + "????.exe";
}

namespace {

// The plain names of one listing: the folder may change while the launcher
// looks, and each name it passes over is then left out of what it saw
// rather than sought again in a listing that may differ. One string, each
// name ended by a NUL, which no name holds.
struct Candidates {
  std::string names;

  static void Take(void* context, std::string_view name, platform::EntryKind kind) {
    const bool plain = kind == platform::EntryKind::kPlain;
    trace::Line({plain ? "candidate: " : "passed over: ", name, Why(kind)});
    if (plain) (static_cast<Candidates*>(context)->names += name) += '\0';
  }

  // The greatest name in NTFS order before `before`, or before none when that
  // is empty; empty when there is none, as no name is.
  std::string_view GreatestBefore(std::string_view before) const {
    std::string_view greatest;
    for (std::size_t at = 0; at < names.size();) {
      const std::string_view name(names.c_str() + at);
      at += name.size() + 1;
      if ((before.empty() || NtfsLess(name, before)) && (greatest.empty() || NtfsLess(greatest, name))) greatest = name;
    }
    return greatest;
  }
};

// Names that look meant to match and do not: another version's programs,
// a tail too long, version.ini saved under another name. Not the running
// launcher, whose name begins as the programs' do: listed in every trace, it
// would be read as a cause. A screenful at most, as a folder may hold
// thousands.
struct NearMisses {
  static constexpr int kShown = 20;
  std::string_view pattern;
  std::string launcher;
  int count = 0;

  static void Take(void* context, std::string_view name, platform::EntryKind) {
    auto& near = *static_cast<NearMisses*>(context);
    if (MatchesWildcard(near.pattern, name) || CompareNtfs(name, "version.ini") == 0 ||
        CompareNtfs(name, near.launcher) == 0)
      return;
    if (++near.count <= kShown) trace::Line({"near miss: ", name});
  }
};

void TraceNearMisses(const std::string& launcher_folder, std::string_view pattern) {
  NearMisses near{pattern, platform::LauncherFileName()};
  for (const char* prefix : {"Velmaris*", "version*"})
    platform::ListMatchingFiles(launcher_folder, prefix, &NearMisses::Take, &near);
  if (near.count > NearMisses::kShown)
    trace::Line({"near misses not shown: ", std::to_string(near.count - NearMisses::kShown)});
}

}  // namespace

std::string FindMainProgram(const std::string& launcher_folder, std::int16_t version) {
  // Listed in the launcher's own folder, where the program is then started
  // from, not in the current directory, which a shortcut or a terminal can
  // set to any other folder.
  const std::string pattern = MainProgramPattern(version);
  trace::Line({"pattern: ", pattern});
  if (trace::On()) TraceNearMisses(launcher_folder, pattern);
  Candidates candidates;
  platform::ListMatchingFiles(launcher_folder, pattern, &Candidates::Take, &candidates);
  // Only the name that would be started is asked whether it is a build of
  // the launcher, so that the other candidates are never opened; when it is, the
  // greatest before it is asked next. Of names NTFS calls equal, which POSIX
  // may hold side by side, the first listed stands for all.
  for (std::string_view name = candidates.GreatestBefore({}); !name.empty(); name = candidates.GreatestBefore(name)) {
    const PassOver why = WhyPassOver(platform::ReadFileHead(platform::JoinPath(launcher_folder, name), kMarkWindow));
    if (why == PassOver::kNo) return std::string(name);
    trace::Line({"passed over: ", name, Why(why)});
  }
  return {};
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  const std::string path = platform::JoinPath(launcher_folder, name);
  platform::StartProgram(path, arguments);
  trace::Line({"started: ", path});
  for (const std::string& argument : arguments) trace::Line({"argument: ", argument});
}
