#include "main_program.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

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

// The name that a listing yields last in NTFS order, of those before
// `before` when that is not empty. Only it is kept: a folder of a thousand
// candidates costs the launcher no more memory than one.
struct LastCandidate {
  std::string_view before;
  std::string name;
  bool traced;  // each entry once, from the first listing, when a trace is asked for

  static void Take(void* context, std::string_view name, platform::EntryKind kind) {
    auto& last = *static_cast<LastCandidate*>(context);
    const bool plain = kind == platform::EntryKind::kPlain;
    if (last.traced) trace::Line({plain ? "candidate: " : "passed over: ", name, Why(kind)});
    if (!plain || (!last.before.empty() && !NtfsLess(name, last.before)) ||
        (!last.name.empty() && !NtfsLess(last.name, name)))
      return;
    last.name = name;
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
  // Only the name that would be started is asked whether it is a build of
  // the launcher; when it is, the folder is listed again for the names
  // before it, so that the other candidates cost nothing.
  std::string passed_over;
  for (;;) {
    LastCandidate last{passed_over, {}, passed_over.empty()};
    platform::ListMatchingFiles(launcher_folder, pattern, &LastCandidate::Take, &last);
    if (last.name.empty()) return last.name;
    const std::string path = platform::JoinPath(launcher_folder, last.name);
    const PassOver why = WhyPassOver(platform::ReadFileHead(path, kMarkWindow));
    if (why == PassOver::kNo) return last.name;
    trace::Line({"passed over: ", last.name, Why(why)});
    passed_over = std::move(last.name);
  }
}

void StartMainProgram(const std::string& launcher_folder, const std::string& name,
                      const platform::Arguments& arguments) {
  const std::string path = platform::JoinPath(launcher_folder, name);
  platform::StartProgram(path, arguments);
  trace::Line({"started: ", path});
  for (const std::string& argument : arguments) trace::Line({"argument: ", argument});
}
