// The Linux message box: a line on standard error, and a dialog program
// where a graphical session is present. Kept apart from the rest of the
// platform, as it is the one part that chooses among programs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "writes_linux.h"

extern char** environ;

namespace {

using writes_linux::ScopedDisposition;
using writes_linux::WriteAll;
using writes_linux::WriteSignalsIgnored;

// Hands `put` the prompt with LF for each CR LF or CR, as a terminal and
// the dialog programs want its lines.
template <typename Put>
void PutWithLineFeeds(std::string_view prompt, Put put) {
  for (std::size_t i = 0; i < prompt.size(); ++i) {
    if (prompt.compare(i, 2, "\r\n") == 0) ++i;
    put(prompt[i] == '\r' ? '\n' : prompt[i]);
  }
}

// Whether standard error takes a write now. A full pipe, or a terminal held
// by Ctrl-S, would keep the box and the exit status waiting for someone to
// read: then the beep and the line are left out. Asked by select, which
// asks the descriptor what poll would: poll refuses more descriptors than
// RLIMIT_NOFILE allows (EINVAL), so under a limit of 0 even this one.
bool ErrorOutReady() {
  fd_set error_out;
  FD_ZERO(&error_out);
  FD_SET(STDERR_FILENO, &error_out);
  timeval now{};
  return select(STDERR_FILENO + 1, nullptr, &error_out, nullptr, &now) == 1;
}

// The box's line on standard error, "title: prompt". Put together on the
// stack: the failure being reported may be that memory ran out.
void WriteBoxLine(std::string_view title, std::string_view prompt) {
  const WriteSignalsIgnored ignored;
  if (!ErrorOutReady()) return;
  char line[4096];
  std::size_t length = 0;
  const auto put = [&](char c) {
    if (length == sizeof line) WriteAll(STDERR_FILENO, std::string_view(line, std::exchange(length, 0)));
    line[length++] = c;
  };
  for (char c : title) put(c);
  put(':');
  put(' ');
  PutWithLineFeeds(prompt, put);
  put('\n');
  WriteAll(STDERR_FILENO, std::string_view(line, length));
}

// The environment of the dialog programs: zenity's own ZENITY_* settings
// replaced by ones that give every way of closing its box the status 0.
// zenity ends 1 both when its box is closed with Esc or Cancel and when it
// cannot open the display, and only the second should hand over to the next.
std::vector<char*> DialogEnvironment() {
  static char closed[][16] = {"ZENITY_OK=0", "ZENITY_CANCEL=0", "ZENITY_ESC=0"};
  std::vector<char*> env;
  for (char** entry = environ; *entry != nullptr; ++entry)
    if (std::strncmp(*entry, "ZENITY_", 7) != 0) env.push_back(*entry);
  for (char* setting : closed) env.push_back(setting);
  env.push_back(nullptr);
  return env;
}

// The dialog programs' output and complaints ("cannot open display") go to
// /dev/null: on the launcher's standard error they would follow its line,
// and a full pipe or a held terminal would keep them, and the launcher
// waiting for them, from ending.
struct QuietOutput {
  posix_spawn_file_actions_t actions;
  QuietOutput() {
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
  ~QuietOutput() { posix_spawn_file_actions_destroy(&actions); }
  QuietOutput(const QuietOutput&) = delete;
  QuietOutput& operator=(const QuietOutput&) = delete;
};

// Shows the box through the first dialog program on PATH that shows it, and
// waits until it is closed. Each ends with status 0 only when its box was
// shown: a stale DISPLAY ends zenity and xmessage with 1, kdialog on a signal.
void ShowGraphicalBox(std::string_view prompt, std::string_view title) {
  std::string text;
  PutWithLineFeeds(prompt, [&](char c) { text += c; });
  const std::string title_text(title);
  const std::string zenity_title = "--title=" + title_text;
  const std::string zenity_text = "--text=" + text;
  const char* const commands[][8] = {
      {"zenity", "--warning", "--no-markup", zenity_title.c_str(), zenity_text.c_str(), nullptr},
      {"kdialog", "--title", title_text.c_str(), "--sorry", text.c_str(), nullptr},
      {"xmessage", "-title", title_text.c_str(), "-center", "-buttons", "OK:0", text.c_str(), nullptr},
  };
  const std::vector<char*> env = DialogEnvironment();
  const QuietOutput quiet;
  // An inherited SIGCHLD ignored would reap each dialog program unseen, and
  // the next would show the box again.
  const ScopedDisposition reaped(SIGCHLD, SIG_DFL);
  for (const auto& argv : commands) {
    pid_t pid;
    int status;
    if (posix_spawnp(&pid, argv[0], &quiet.actions, nullptr, const_cast<char* const*>(argv), env.data()) == 0 &&
        waitpid(pid, &status, 0) == pid && status == 0)
      return;
  }
}

}  // namespace

void platform::Beep() {
  const WriteSignalsIgnored ignored;
  if (isatty(STDERR_FILENO) && ErrorOutReady()) WriteAll(STDERR_FILENO, "\a");
}

void platform::ShowMessageBox(std::string_view prompt, unsigned /*style*/, std::string_view title) noexcept {
  WriteBoxLine(title, prompt);
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) return;
  try {
    ShowGraphicalBox(prompt, title);
  } catch (const std::bad_alloc&) {
    // The line on standard error has said it.
  }
}
