// Runs the real launcher, copied into temporary folders beside real
// "version.ini" files and main programs that record how they were started.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "process_support.h"

using namespace std::string_literals;

namespace {

// Records its argv, NUL-separated, beside itself; the rename makes the
// record appear whole.
const char kRecorder[] =
    "#!/bin/sh\n"
    "dir=${0%/*}\n"
    "printf '%s\\0' \"$0\" \"$@\" > \"$dir/record.tmp\" && mv \"$dir/record.tmp\" \"$dir/record\"\n";

class LauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = scratch_.path();
    folder_ = root_ / "Velmaris App";
    fs::create_directory(folder_);
  }

  fs::path Install(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(LAUNCHER_PATH, folder / "VelmarisLaunch", fs::copy_options::overwrite_existing);
    return folder / "VelmarisLaunch";
  }

  void AddRecorder(const std::string& name) { WriteFile(folder_ / name, kRecorder, fs::perms(0755)); }

  // No graphical session, so a box is only the line on stderr.
  Finished RunLauncher(const fs::path& launcher, const std::vector<std::string>& arguments,
                       const fs::path& cwd) {
    std::vector<std::string> argv{launcher.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunToEnd(argv, {"PATH=/usr/bin:/bin"}, cwd);
  }

  Finished RunLauncher(const std::vector<std::string>& arguments = {}) {
    return RunLauncher(Install(folder_), arguments, root_);
  }

  // Permission checks do not bite for root, so such runs go through setpriv
  // as nobody; no value where that cannot be had.
  std::optional<Finished> RunLauncherUnprivileged() {
    std::vector<std::string> argv{Install(folder_).string()};
    if (geteuid() == 0) {
      if (!fs::exists("/usr/bin/setpriv")) return std::nullopt;
      argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
      fs::permissions(root_, fs::perms(0755));
    }
    return RunToEnd(argv, {"PATH=/usr/bin:/bin"}, "/");
  }

  // The argv the started main program recorded; the launcher does not wait
  // for it, so the record may come a moment later.
  std::vector<std::string> StartedArgv(const fs::path& folder) {
    std::vector<std::string> argv;
    std::istringstream in(WaitForFile(folder / "record"));
    for (std::string word; std::getline(in, word, '\0');) argv.push_back(word);
    return argv;
  }

  TemporaryFolder scratch_;
  fs::path root_;
  fs::path folder_;
};

TEST_F(LauncherTest, ArgumentsArriveByteForByte) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"hello", "two words"},
      {"", "a\"b", "'x'", " lead", "trail ", "tab\there", "back\\slash\\", "*", "$HOME", "new\nline"},
      {"\xC3\xA9t\xC3\xA9", "\xFF\xFE invalid UTF-8"},
  };
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=5\n");
  AddRecorder("Velmaris5.exe");
  for (const auto& arguments : cases) {
    fs::remove(folder_ / "record");
    fs::remove(folder_ / "VelmarisLaunch");
    const Finished run = RunLauncher(arguments);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.stderr_text, "");
    std::vector<std::string> expected{(folder_ / "Velmaris5.exe").string()};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(StartedArgv(folder_), expected);
  }
}

TEST_F(LauncherTest, ListsAndStartsInItsOwnFolderWhateverTheCurrentOne) {
  const fs::path elsewhere = root_ / "elsewhere";
  fs::create_directory(elsewhere);
  WriteFile(elsewhere / "version.ini", "[Version]\nAppVers=9\n");
  WriteFile(elsewhere / "Velmaris9.exe", kRecorder, fs::perms(0755));
  WriteFile(elsewhere / "Velmaris5z.exe", kRecorder, fs::perms(0755));
  const fs::path folder = root_ / "d\xC3\xA9j\xC3\xA0 vu [x] $y";
  WriteFile(Install(folder).parent_path() / "version.ini", "[Version]\nAppVers=5\n");
  WriteFile(folder / "Velmaris5.exe", kRecorder, fs::perms(0755));

  const Finished run = RunLauncher(folder / "VelmarisLaunch", {"x"}, elsewhere);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(StartedArgv(folder), (std::vector<std::string>{(folder / "Velmaris5.exe").string(), "x"}));
  EXPECT_FALSE(fs::exists(elsewhere / "record"));
}

TEST_F(LauncherTest, StartsTheGreatestMatchInNtfsOrder) {
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=4.5\n");  // rounds to 4
  for (const char* name : {"Velmaris4.exe", "Velmaris4a.exe", "velmaris4B.exe", "Velmaris41234.exe",
                           "Velmaris4_.exe", "Velmaris4ZZZZZ.exe", "Velmaris5.exe", "Velmaris4.a.exe"})
    AddRecorder(name);
  // Greater names that are no plain files are passed over.
  fs::create_directory(folder_ / "Velmaris4~.exe");
  fs::create_symlink("missing", folder_ / "Velmaris4~~.exe");
  fs::create_symlink("Velmaris4a.exe", folder_ / "Velmaris4_a.exe");  // a link to a file counts

  const Finished run = RunLauncher();
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / "Velmaris4_a.exe").string()});
}

TEST_F(LauncherTest, ReportsEveryOutcomeOnStderrWithItsExitStatus) {
  const struct {
    const char* name;
    std::string version_ini;  // "" for none
    std::string candidate;
    fs::perms perms;
    int exit_status;
    std::string message;
  } cases[] = {
      {"not found", "[Version]\nAppVers=5\n", "Velmaris6.exe", fs::perms(0755), 1,
       "Velmaris: Velmaris main program not found\n"},
      {"no version.ini is version 0", "", "Velmaris0.exe", fs::perms(0755), 0, ""},
      {"not executable", "[Version]\nAppVers=5\n", "Velmaris5.exe", fs::perms(0644), 2,
       "Velmaris: Error launching Velmaris main program.\nPermission denied\n"},
      {"overflow", "[Version]\nAppVers=32767.5\n", "Velmaris32767.exe", fs::perms(0755), 2,
       "Velmaris: Error launching Velmaris main program.\nOverflow\n"},
      {"UTF-16 version.ini", "\xFF\xFE[\0V\0e\0r\0s\0i\0o\0n\0]\0\n\0A\0p\0p\0V\0e\0r\0s\0=\0" "7\0"s,
       "Velmaris7.exe", fs::perms(0755), 0, ""},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder_);
    fs::create_directory(folder_);
    if (!c.version_ini.empty()) WriteFile(folder_ / "version.ini", c.version_ini);
    WriteFile(folder_ / c.candidate, kRecorder, c.perms);
    const Finished run = RunLauncher();
    EXPECT_EQ(run.exit_status, c.exit_status) << c.name;
    EXPECT_EQ(run.stderr_text, c.message) << c.name;
    if (c.exit_status == 0)
      EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / c.candidate).string()}) << c.name;
    else
      EXPECT_FALSE(fs::exists(folder_ / "record")) << c.name;
  }
}

TEST_F(LauncherTest, ExecFormatErrorIsReportedNotRetried) {
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=5\n");
  WriteFile(folder_ / "Velmaris5b.exe", "no interpreter line\n", fs::perms(0755));
  AddRecorder("Velmaris5a.exe");
  const Finished run = RunLauncher();
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.stderr_text, "Velmaris: Error launching Velmaris main program.\nExec format error\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(folder_ / "record"));
}

TEST_F(LauncherTest, HostileVersionIniGivesTheDocumentedResult) {
  std::string noise(64 * 1024, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  const std::string utf16_broken =
      "\xFF\xFE[\0V\0e\0r\0s\0i\0o\0n\0]\0\n\0A\0p\0p\0V\0e\0r\0s\0=\0" "7\0\x00\xD8"s;
  const struct {
    const char* name;
    std::string version_ini;  // "" for a directory in its place
    std::string started;      // "" when nothing may start
    std::string message;
  } cases[] = {
      {"a directory in its place", "", "Velmaris0.exe", ""},
      {"binary noise, then the section", "x" + noise + "\n[Version]\nAppVers=5\n", "Velmaris5.exe", ""},
      {"NUL bytes end the value", "[Version]\nAppVers=\0 5\n"s, "Velmaris0.exe", ""},
      {"10,000 digits: the first 99 count", "[Version]\nAppVers=" + std::string(9999, '0') + "7",
       "Velmaris0.exe", ""},
      {"10,000 digits overflow", "[Version]\nAppVers=1" + std::string(9999, '0'), "",
       "Velmaris: Error launching Velmaris main program.\nOverflow\n"},
      {"UTF-16 with a broken surrogate", utf16_broken, "Velmaris7.exe", ""},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder_);
    fs::create_directory(folder_);
    for (const char* name : {"Velmaris0.exe", "Velmaris5.exe", "Velmaris7.exe"}) AddRecorder(name);
    if (c.version_ini.empty()) fs::create_directory(folder_ / "version.ini");
    else WriteFile(folder_ / "version.ini", c.version_ini);
    const Finished run = RunLauncher();
    EXPECT_EQ(run.exit_status, c.started.empty() ? 2 : 0) << c.name;
    EXPECT_EQ(run.stderr_text, c.message) << c.name;
    if (!c.started.empty()) {
      EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / c.started).string()}) << c.name;
    }
  }
}

TEST_F(LauncherTest, AGigabyteLineIsReadInBoundedMemory) {
  // Sparse: a line of 1 GiB of NUL bytes costs no disk, only reading.
  const fs::path ini = folder_ / "version.ini";
  const std::string tail = "\n[Version]\nAppVers=5\n";
  WriteFile(ini, "");
  fs::resize_file(ini, std::uintmax_t{1} << 30);
  std::ofstream(ini, std::ios::binary | std::ios::in | std::ios::ate) << tail;
  AddRecorder("Velmaris5.exe");
  const Finished run = RunLauncher();
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / "Velmaris5.exe").string()});
  EXPECT_LT(run.peak_memory_kib, 64 * 1024) << "peak memory in KiB";
}

TEST_F(LauncherTest, AVersionIniThatChangesWhileItRunsNeverBreaksIt) {
  for (const char* name : {"Velmaris0.exe", "Velmaris5.exe"})
    WriteFile(folder_ / name, "#!/bin/sh\n", fs::perms(0755));
  std::atomic<bool> done{false};
  std::thread writer([&] {
    const fs::path ini = folder_ / "version.ini", temporary = folder_ / "version.tmp";
    while (!done) {
      WriteFile(temporary, "[Version]\nAppVers=5\n");
      fs::rename(temporary, ini);
      fs::remove(ini);
      std::ofstream(ini) << "[Version]\nApp";  // written in place, seen half done
    }
  });
  for (int i = 0; i < 40; ++i) {
    const Finished run = RunLauncher();
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.stderr_text, "");
    fs::remove(folder_ / "VelmarisLaunch");
  }
  done = true;
  writer.join();
}

TEST_F(LauncherTest, HostileFolderEntriesArePassedOverOrStartedIntact) {
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=5\n");
  AddRecorder("Velmaris5a\nb.exe");
  // Greater names that are no regular files, and a name too long to match.
  ASSERT_EQ(mkfifo((folder_ / "Velmaris5~.exe").c_str(), 0644), 0);
  const std::string socket_path = (folder_ / "Velmaris5~~.exe").string();
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  fs::create_symlink("Velmaris5~~~.exe", folder_ / "Velmaris5~~~.exe");
  AddRecorder("Velmaris5" + std::string(242, '~') + ".exe");  // 255 bytes

  EXPECT_EQ(RunLauncher().exit_status, 0);
  EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / "Velmaris5a\nb.exe").string()});

  // Invalid UTF-8 is a name like any other, and this one is the greatest.
  fs::remove(folder_ / "record");
  AddRecorder("Velmaris5\xFF\xFE.exe");
  EXPECT_EQ(RunLauncher().exit_status, 0);
  EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / "Velmaris5\xFF\xFE.exe").string()});
  close(sock);
}

TEST_F(LauncherTest, WhatItMayNotReadAsAnUnprivilegedUser) {
  AddRecorder("Velmaris0.exe");
  AddRecorder("Velmaris5.exe");
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=5\n", fs::perms::none);
  fs::permissions(folder_, fs::perms(0777));  // the recorder writes there
  const std::optional<Finished> unreadable_ini = RunLauncherUnprivileged();
  if (!unreadable_ini) GTEST_SKIP() << "running as root and no setpriv to drop the privileges";
  EXPECT_EQ(unreadable_ini->exit_status, 0) << unreadable_ini->stderr_text;
  EXPECT_EQ(StartedArgv(folder_), std::vector<std::string>{(folder_ / "Velmaris0.exe").string()});

  fs::remove(folder_ / "record");
  fs::permissions(folder_ / "version.ini", fs::perms(0644));
  fs::permissions(folder_, fs::perms(0333));  // may be entered, not listed
  const std::optional<Finished> unlistable = RunLauncherUnprivileged();
  fs::permissions(folder_, fs::perms(0755));
  EXPECT_EQ(unlistable->exit_status, 2);
  EXPECT_EQ(unlistable->stderr_text, "Velmaris: Error launching Velmaris main program.\nPermission denied\n");
  EXPECT_FALSE(fs::exists(folder_ / "record"));
}

TEST_F(LauncherTest, ThousandsOfArgumentsAndALongOneArriveIntact) {
  WriteFile(folder_ / "version.ini", "[Version]\nAppVers=5\n");
  AddRecorder("Velmaris5.exe");
  std::vector<std::string> arguments;
  for (int i = 0; i < 5000; ++i) arguments.push_back("argument " + std::to_string(i));
  arguments.push_back(std::string(100000, 'x'));
  const Finished run = RunLauncher(arguments);
  EXPECT_EQ(run.exit_status, 0) << run.stderr_text;
  std::vector<std::string> expected{(folder_ / "Velmaris5.exe").string()};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(StartedArgv(folder_), expected);
}

}  // namespace
