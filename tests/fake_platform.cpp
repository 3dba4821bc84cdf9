#include "fake_platform.h"

#include "failure.h"
#include "file_names.h"

FakePlatform& Fake() {
  static FakePlatform fake;
  return fake;
}

const char platform::kPathSeparator = '\\';
std::string platform::LauncherFolder() { return "C:\\V"; }
platform::Arguments platform::LauncherArguments() { return Fake().arguments; }
void platform::Beep() { Fake().events.push_back("beep"); }

platform::IconHandle platform::LoadApplicationIcon() {
  Fake().events.push_back("icon:load");
  return &Fake();
}

void platform::FreeApplicationIcon(IconHandle icon) { Fake().events.push_back(icon == &Fake() ? "icon:free" : "?"); }

std::string platform::ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                                        std::size_t capacity) {
  const bool found = path == "C:\\V\\version.ini" && section == "Version" && key == "AppVers";
  return found ? Fake().app_vers.value_or("").substr(0, capacity - 1) : "";
}

std::vector<std::string> platform::ListMatchingFiles(const std::string& folder, std::string_view pattern) {
  Fake().events.push_back("list:" + folder + "|" + std::string(pattern));
  std::vector<std::string> names;
  for (const std::string& name : Fake().files)
    if (MatchesWildcard(pattern, name)) names.push_back(name);
  return names;
}

void platform::StartProgram(const std::string& path, const Arguments& arguments) {
  if (!Fake().start_error.empty()) throw Failure(Fake().start_error);
  Fake().events.push_back("start:" + path);
  for (const std::string& argument : arguments) Fake().events.back() += "|" + argument;
}

void platform::ShowMessageBox(const std::string& prompt, unsigned style, const std::string& title) {
  Fake().events.push_back("box:" + std::to_string(style) + ":" + title + ":" + prompt);
}

void platform::EndProcess(int status) {
  Fake().events.push_back("end:" + std::to_string(status));
  throw ProcessEnded{};
}
