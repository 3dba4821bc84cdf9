// Runs the Windows launcher under Wine in temporary folders, started with
// exact command lines, beside a stand-in main program that records its own
// path and command line. Wine's relay trace shows what the launcher asked
// Windows to beep and show.
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "process_support.h"
#include "text.h"

namespace {

const fs::path kBuild = WINDOWS_BUILD;

std::string WindowsPath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

std::string Utf16Le(const std::string& utf8) {
  std::string bytes;
  for (char16_t unit : ToUtf16(utf8)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string FromUtf16Le(const std::string& bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  return ToUtf8(units);
}

// Reads one string as Wine's trace writes it: L"...", with \r, \n, \t, \\,
// \" and \xxxx (four hex digits) as escapes. Advances `at` past it.
std::string ReadTracedString(const std::string& line, std::size_t& at) {
  at = line.find("L\"", at) + 2;
  std::u16string units;
  while (at < line.size() && line[at] != '"') {
    if (line[at] != '\\') {
      units += static_cast<char16_t>(line[at++]);
      continue;
    }
    const char escape = line[at + 1];
    at += 2;
    if (escape == 'r') units += u'\r';
    else if (escape == 'n') units += u'\n';
    else if (escape == 't') units += u'\t';
    else if (escape == '\\' || escape == '"') units += static_cast<char16_t>(escape);
    else units += static_cast<char16_t>(std::stoul(line.substr(at - 1, 4), nullptr, 16)), at += 3;
  }
  ++at;
  return ToUtf8(units);
}

// The beeps and boxes in the trace, as "beep" and "box:<style>:<title>:<prompt>".
std::vector<std::string> UserEvents(const std::string& trace) {
  std::vector<std::string> events;
  std::size_t begin = 0;
  for (std::size_t end; (end = trace.find('\n', begin)) != std::string::npos; begin = end + 1) {
    const std::string line = trace.substr(begin, end - begin);
    if (line.find("Call user32.MessageBeep(") != std::string::npos) events.push_back("beep");
    if (line.find("Call user32.MessageBoxW(") == std::string::npos) continue;
    std::size_t at = 0;
    const std::string prompt = ReadTracedString(line, at);
    const std::string title = ReadTracedString(line, at);
    const unsigned long style = std::stoul(line.substr(line.find(',', at) + 1), nullptr, 16);
    events.push_back("box:" + std::to_string(style) + ":" + title + ":" + prompt);
  }
  return events;
}

struct WindowsRun {
  int exit_status;
  std::vector<std::string> events;  // beeps and boxes
};

struct Started {
  std::string module;
  std::string command_line;
};

class WineLauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratch_.path() / "Velmaris \xC3\x9Cn\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC app";
    fs::create_directory(folder_);
  }

  fs::path Install(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(kBuild / "VelmarisLaunch.exe", folder / "VelmarisLaunch.exe",
                  fs::copy_options::overwrite_existing);
    return folder / "VelmarisLaunch.exe";
  }

  void AddMainProgram(const std::string& name) {
    fs::copy_file(kBuild / "tests" / "record_start.exe", folder_ / name);
  }

  // Starts the launcher in `folder` with the command line "path" + `rest`,
  // on the X display `display` if one is named (a box then waits for OK).
  WindowsRun RunLauncher(const fs::path& folder, const std::string& rest, const fs::path& cwd,
                         const std::string& display = "") {
    const fs::path launcher = Install(folder);
    const std::string command_line = "\"" + WindowsPath(launcher) + "\"" + rest;
    const fs::path request = scratch_.path() / "request";
    WriteFile(request, Utf16Le(WindowsPath(launcher)) + std::string(2, '\0') +
                           Utf16Le(command_line) + std::string(2, '\0') +
                           Utf16Le(WindowsPath(cwd)) + std::string(2, '\0'));
    // Wine maps Unix file names to Windows ones through the locale's charset.
    std::vector<std::string> environment{"WINEDEBUG=-all,+relay", "LC_ALL=C.UTF-8"};
    for (const char* name : {"WINEPREFIX", "WINELOADER", "WINESERVER", "HOME", "PATH"})
      if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    if (!display.empty()) environment.push_back("DISPLAY=" + display);
    const Finished run = RunToEnd(
        {WINE_LOADER, (kBuild / "tests" / "spawn_exact.exe").string(), WindowsPath(request)},
        environment, cwd);
    return {run.exit_status, UserEvents(run.stderr_text)};
  }

  WindowsRun RunLauncher(const std::string& rest = "") {
    return RunLauncher(folder_, rest, scratch_.path());
  }

  Started StartedProgram(const fs::path& folder) {
    const std::string record = FromUtf16Le(WaitForFile(folder / "record"));
    const std::size_t nul = record.find('\0');
    if (nul == std::string::npos) return {};
    return {record.substr(0, nul), record.substr(nul + 1)};
  }

  TemporaryFolder scratch_;
  fs::path folder_;
};

const std::string kErrorBox = "box:48:Velmaris:Error launching Velmaris main program.\r\n";

TEST_F(WineLauncherTest, HandsOnTheArgumentTextExactly) {
  const struct {
    std::string after_launcher;  // the launcher's command line after its quoted path
    std::string argument_text;   // what must follow the main program's quoted path
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {" hello \"two words\"", "hello \"two words\""},
      {"\tx", "x"},
      {" \t \"a  b\"\t\"\" c\\\"d \\\\\"e f\"  ", "\"a  b\"\t\"\" c\\\"d \\\\\"e f\"  "},
      {" \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"},
      // Near Windows' limit of 32,767 characters; the main program's line is
      // no longer than the launcher's, its name being shorter.
      {" " + std::string(32000, 'x'), std::string(32000, 'x')},
  };
  WriteFile(folder_ / "version.ini", "[Version]\r\nAppVers=5\r\n");
  AddMainProgram("Velmaris5.exe");
  const std::string main_program = WindowsPath(folder_ / "Velmaris5.exe");
  for (const auto& c : cases) {
    fs::remove(folder_ / "record");
    const WindowsRun run = RunLauncher(c.after_launcher);
    EXPECT_EQ(run.exit_status, 0) << c.after_launcher;
    EXPECT_EQ(run.events, std::vector<std::string>()) << c.after_launcher;
    const Started started = StartedProgram(folder_);
    EXPECT_EQ(started.module, main_program);
    EXPECT_EQ(started.command_line,
              "\"" + main_program + "\"" + (c.argument_text.empty() ? "" : " " + c.argument_text))
        << c.after_launcher;
  }
}

TEST_F(WineLauncherTest, ReadsVersionIniInAnsiAndUtf16) {
  const struct {
    std::string version_ini;  // "" for none
    std::string started;
  } cases[] = {
      {"", "Velmaris0.exe"},
      {"[Version]\r\nAppVers=7\r\n", "Velmaris7.exe"},
      {"\xFF\xFE" + Utf16Le("[version]\r\n appvers = 8\r\n"), "Velmaris8.exe"},
      {"; comment\r\n[Other]\r\nAppVers=7\r\n[Version]\r\nAppVers=&H9\r\n", "Velmaris9.exe"},
      {"[Version]\r\nAppVers=-2.5\r\n", "Velmaris-2.exe"},
  };
  for (const char* name : {"Velmaris0.exe", "Velmaris7.exe", "Velmaris8.exe", "Velmaris9.exe",
                           "Velmaris-2.exe"})
    AddMainProgram(name);
  for (const auto& c : cases) {
    fs::remove(folder_ / "record");
    fs::remove(folder_ / "version.ini");
    if (!c.version_ini.empty()) WriteFile(folder_ / "version.ini", c.version_ini);
    EXPECT_EQ(RunLauncher().exit_status, 0) << c.started;
    EXPECT_EQ(StartedProgram(folder_).module, WindowsPath(folder_ / c.started));
  }
}

TEST_F(WineLauncherTest, StartsTheGreatestPlainMatchWhateverTheCurrentFolder) {
  WriteFile(folder_ / "version.ini", "[Version]\r\nAppVers=5\r\n");
  for (const char* name : {"Velmaris5.exe", "Velmaris5a.exe", "VELMARIS5B.EXE", "Velmaris51234.exe",
                           "Velmaris5_.exe", "Velmaris512345.exe", "Velmaris5.a.exe", "Velmaris5~~.exe"})
    AddMainProgram(name);
  // Greater names that are no plain files: a folder, and a hidden file.
  fs::create_directory(folder_ / "Velmaris5~.exe");
  const fs::path hidden = folder_ / "Velmaris5~~.exe";
  ASSERT_EQ(setxattr(hidden.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
  // The current folder has its own, which must not count.
  const fs::path elsewhere = scratch_.path() / "elsewhere";
  fs::create_directory(elsewhere);
  WriteFile(elsewhere / "version.ini", "[Version]\r\nAppVers=6\r\n");
  fs::copy_file(kBuild / "tests" / "record_start.exe", elsewhere / "Velmaris5~.exe");

  EXPECT_EQ(RunLauncher(folder_, "", elsewhere).exit_status, 0);
  EXPECT_EQ(StartedProgram(folder_).module, WindowsPath(folder_ / "Velmaris5_.exe"));
  EXPECT_FALSE(fs::exists(elsewhere / "record"));
}

TEST_F(WineLauncherTest, BeepsThenShowsOneWarningBox) {
  const struct {
    const char* name;
    std::string app_vers;
    const char* candidate;
    bool real_program;
    int exit_status;
    std::string box;
  } cases[] = {
      {"not found", "5", "Velmaris6.exe", true, 1,
       "box:48:Velmaris:Velmaris main program not found"},
      {"overflow", "32767.5", "Velmaris32767.exe", true, 2, kErrorBox + "Overflow"},
      {"refused start", "5", "Velmaris5.exe", false, 2,
       kErrorBox + "Bad EXE format for %1."},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder_);
    fs::create_directory(folder_);
    WriteFile(folder_ / "version.ini", "[Version]\r\nAppVers=" + c.app_vers + "\r\n");
    if (c.real_program) AddMainProgram(c.candidate);
    else WriteFile(folder_ / c.candidate, "not a program");
    const WindowsRun run = RunLauncher(" x");
    EXPECT_EQ(run.exit_status, c.exit_status) << c.name;
    EXPECT_EQ(run.events, (std::vector<std::string>{"beep", c.box})) << c.name;
    EXPECT_FALSE(fs::exists(folder_ / "record")) << c.name;
  }
}

// An X server of the test's own, with a log of the top-level windows that
// are mapped on it (xev reports each as a MapNotify on the root window).
class XDisplay {
 public:
  XDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    // The write end is inherited as it is: Xvfb writes its number there.
    server_ = Start({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp"});
    close(fds[1]);
    char buffer[16] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);  // the number, once it is ready
    close(fds[0]);
    if (n <= 0) return;
    name_ = ":" + std::to_string(std::atoi(buffer));
    watcher_ = Start({"/usr/bin/xev", "-display", name_, "-root", "-event", "substructure"},
                     log_.path() / "events");
    // xev reports nothing until it has selected the events.
    for (int i = 0; i < 500 && ReadFile(log_.path() / "events").find("Outer window") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~XDisplay() {
    for (pid_t pid : {watcher_, server_}) {
      if (pid <= 0) continue;
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }
  // Waits a while for xev to report `expected` windows, which it does a
  // moment after they show; gives the number it reported.
  int MappedWindows(int expected) const {
    int count = 0;
    for (int i = 0; i < 500 && count < expected; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      const std::string events = ReadFile(log_.path() / "events");
      count = 0;
      for (std::size_t at = 0; (at = events.find("MapNotify event", at)) != std::string::npos; ++at) ++count;
    }
    return count;
  }

  // Presses Return in the first visible window titled "Velmaris", once one
  // shows; runs alongside.
  pid_t CloseBoxWhenShown() const {
    return Start({"/usr/bin/xdotool", "search", "--sync", "--onlyvisible", "--name", "^Velmaris$",
                  "key", "--window", "%1", "Return"});
  }

 private:
  pid_t Start(const std::vector<std::string>& argv, const fs::path& output = {}) const {
    return StartProcess(argv, {"DISPLAY=" + name_}, "/", output);
  }

  TemporaryFolder log_;
  std::string name_;
  pid_t server_ = -1;
  pid_t watcher_ = -1;
};

TEST_F(WineLauncherTest, ShowsNoWindowOfItsOwnOnADisplay) {
  XDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  WriteFile(folder_ / "version.ini", "[Version]\r\nAppVers=5\r\n");
  AddMainProgram("Velmaris5.exe");
  const WindowsRun started = RunLauncher(folder_, " x", scratch_.path(), display.name());
  EXPECT_EQ(started.exit_status, 0);
  EXPECT_EQ(started.events, std::vector<std::string>());
  EXPECT_EQ(StartedProgram(folder_).module, WindowsPath(folder_ / "Velmaris5.exe"));

  // The same display does show the box for a missing main program. Events
  // arrive in order, so once the box's window is logged, any window of the
  // run before would be too.
  fs::remove(folder_ / "Velmaris5.exe");
  const pid_t closer = display.CloseBoxWhenShown();
  const WindowsRun not_found = RunLauncher(folder_, " x", scratch_.path(), display.name());
  kill(closer, SIGTERM);
  waitpid(closer, nullptr, 0);
  EXPECT_EQ(not_found.exit_status, 1);
  EXPECT_EQ(not_found.events,
            (std::vector<std::string>{"beep", "box:48:Velmaris:Velmaris main program not found"}));
  EXPECT_EQ(display.MappedWindows(1), 1) << "the box, and nothing of the run that started a program";
}

}  // namespace
