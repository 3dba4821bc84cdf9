// POSIX implementation of platform.h, and the process entry point.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "failure.h"
#include "file_names.h"
#include "mdlMain.h"
#include "platform.h"
#include "profile.h"

extern char** environ;

namespace {

int g_argc;
char** g_argv;

[[noreturn]] void ThrowSystemError(int error) { throw Failure(std::strerror(error)); }

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Shows the box through the first dialog program on PATH that starts, and
// waits until it is closed.
void ShowGraphicalBox(const std::string& prompt, const std::string& title) {
  const std::string zenity_title = "--title=" + title;
  const std::string zenity_text = "--text=" + prompt;
  const char* const commands[][8] = {
      {"zenity", "--warning", "--no-markup", zenity_title.c_str(), zenity_text.c_str(), nullptr},
      {"kdialog", "--title", title.c_str(), "--sorry", prompt.c_str(), nullptr},
      {"xmessage", "-title", title.c_str(), "-center", "-buttons", "OK", prompt.c_str(), nullptr},
  };
  for (const auto& argv : commands) {
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
      continue;
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return;
  }
}

}  // namespace

const char platform::kPathSeparator = '/';

std::string platform::LauncherFolder() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) ThrowSystemError(errno);
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

platform::Arguments platform::LauncherArguments() {
  if (g_argc < 1) return {};
  return Arguments(g_argv + 1, g_argv + g_argc);
}

std::string platform::ReadProfileString(const std::string& path, std::string_view section,
                                        std::string_view key, std::size_t capacity) {
  ProfileReader reader(section, key, capacity);
  struct stat st;
  // Non-blocking so that a FIFO in the file's place cannot hold the launcher.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    // No file is no value, and so is a folder, even one that may not be read.
    if (error == ENOENT || error == ENOTDIR || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
      return reader.Value();
    ThrowSystemError(error);
  }
  // Only regular files: a device would never end, a directory reads nothing.
  int error = 0;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    char buffer[64 * 1024];
    while (!reader.Done()) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : 0;
        break;
      }
      reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
  }
  close(fd);
  if (error != 0) ThrowSystemError(error);
  return reader.Value();
}

std::vector<std::string> platform::ListMatchingFiles(const std::string& folder,
                                                     std::string_view pattern) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) ThrowSystemError(errno);
  // A launcher named like a main program must not start itself for ever.
  struct stat self;
  if (stat("/proc/self/exe", &self) != 0) self = {};
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    // The name is checked first: a large folder of other files costs no stat.
    if (!MatchesWildcard(pattern, entry->d_name)) continue;
    struct stat st;  // after following links
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode) &&
        (st.st_dev != self.st_dev || st.st_ino != self.st_ino))
      names.emplace_back(entry->d_name);
  }
  const int error = errno;
  closedir(dir);
  if (error != 0) ThrowSystemError(error);
  return names;
}

void platform::StartProgram(const std::string& path, const Arguments& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  // glibc reports a failed exec (missing, not executable, bad format) here.
  const int error = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) ThrowSystemError(error);
}

// An ELF file carries no icon; desktop files name one instead.
platform::IconHandle platform::LoadApplicationIcon() { return nullptr; }

void platform::FreeApplicationIcon(IconHandle) {}

void platform::Beep() {
  if (isatty(STDERR_FILENO)) WriteAll(STDERR_FILENO, "\a");
}

void platform::ShowMessageBox(const std::string& prompt, unsigned /*style*/,
                              const std::string& title) {
  std::string text;  // a terminal and the dialog programs want LF for CR LF
  for (std::size_t i = 0; i < prompt.size(); ++i) {
    if (prompt.compare(i, 2, "\r\n") == 0) ++i;
    text += prompt[i] == '\r' ? '\n' : prompt[i];
  }
  WriteAll(STDERR_FILENO, title + ": " + text + "\n");
  if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr)
    ShowGraphicalBox(text, title);
}

void platform::EndProcess(int status) { _exit(status); }

int main(int argc, char** argv) {
  g_argc = argc;
  g_argv = argv;
  mdlMain::Main();
}
