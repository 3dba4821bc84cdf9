// Linux implementation of platform.h: POSIX calls, but for the folder of
// the executable, which only Linux's /proc/self/exe gives.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "failure.h"
#include "file_names.h"
#include "platform.h"
#include "platform_linux.h"
#include "profile.h"
#include "writes_linux.h"

extern char** environ;

namespace {

using writes_linux::WriteAll;
using writes_linux::WriteSignalsIgnored;

int g_argc;  // as the entry point was given them
char** g_argv;

// The read buffer lives with the program, not on the stack: under a tight
// memory limit a stack that cannot grow would end the launcher by a
// signal, where a failed allocation ends it in a box.
char g_buffer[kFileChunk];

// A program starts with no signal handler and the launcher installs none, so
// no call here fails with EINTR (stop and continue interrupt none of them
// either, signal(7)): there are no retry loops for it.

// The running executable, whatever name or link started it.
constexpr char kSelf[] = "/proc/self/exe";

[[noreturn]] void ThrowSystemError(int error) { throw Failure(std::strerror(error)); }

// Reads `size` bytes, or fewer at the end of the file: how many it read, or
// -1 with errno.
ssize_t ReadUpTo(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, buffer + done, size - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

platform::EntryKind KindOf(mode_t mode) {
  using enum platform::EntryKind;
  return S_ISREG(mode) ? kPlain : S_ISDIR(mode) ? kFolder : kOther;
}

// The running file's path, links resolved. Linux names no running file by a
// path of PATH_MAX bytes or more: the link cannot be read then
// (ENAMETOOLONG), and neither could the program.
std::string SelfPath() {
  char path[PATH_MAX];
  const ssize_t n = readlink(kSelf, path, sizeof path);
  if (n < 0) ThrowSystemError(errno);
  return std::string(path, static_cast<std::size_t>(n));
}

}  // namespace

const char platform::kPathSeparator = '/';

std::string platform::LauncherFolder() {
  const std::string path = SelfPath();
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string platform::LauncherFileName() {
  const std::string path = SelfPath();
  return path.substr(path.rfind('/') + 1);
}

void platform::KeepArguments(int argc, char** argv) {
  g_argc = argc;
  g_argv = argv;
}

platform::Arguments platform::LauncherArguments() {
  // Past the launcher's own name, which an empty argv (execve allows one) lacks.
  return Arguments(g_argv + std::min(g_argc, 1), g_argv + g_argc);
}

std::optional<std::string> platform::ReadProfileString(const std::string& path, std::string_view section,
                                        std::string_view key, std::size_t capacity) {
  ProfileReader reader(section, key, capacity);
  struct stat st;
  // Non-blocking so that a FIFO in the file's place cannot hold the launcher.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    // No file is no value, and so are a dangling or looping link and a
    // folder, even one that may not be read.
    if (error == ENOENT || error == ENOTDIR || error == ELOOP || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
      return std::nullopt;
    ThrowSystemError(error);
  }
  // Only regular files: a device would never end, a directory reads nothing.
  // Only the size the file had when it was opened is read, so that another
  // program that keeps appending to it cannot keep the launcher reading.
  int error = 0;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    for (off_t left = st.st_size; left > 0 && !reader.Done();) {
      const ssize_t n = ReadUpTo(fd, g_buffer, static_cast<std::size_t>(std::min<off_t>(left, kFileChunk)));
      if (n <= 0) {
        error = n < 0 ? errno : 0;
        break;
      }
      reader.Feed(std::string_view(g_buffer, static_cast<std::size_t>(n)));
      left -= n;
    }
  }
  close(fd);
  if (error != 0) ThrowSystemError(error);
  return reader.Value();
}

void platform::ListMatchingFiles(const std::string& folder, std::string_view pattern, EntrySink sink, void* context) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) ThrowSystemError(errno);
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    // The name is checked first: a large folder of other files costs no
    // stat, and neither do candidates whose type the listing gives.
    if (!MatchesWildcard(pattern, entry->d_name)) continue;
    struct stat st;  // a link counts as what it leads to; a dangling one is no plain file
    const bool ask = entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
    sink(context, entry->d_name,
         !ask ? KindOf(DTTOIF(entry->d_type))
              : fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 ? KindOf(st.st_mode) : EntryKind::kOther);
  }
  const int error = errno;
  closedir(dir);
  if (error != 0) ThrowSystemError(error);
}

FileHead platform::ReadFileHead(const std::string& path, std::size_t limit) {
  FileHead head;
  // Non-blocking: a FIFO may have taken the file's place since the listing.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat self, file;
  if (stat(kSelf, &self) == 0 && (fd >= 0 ? fstat(fd, &file) : stat(path.c_str(), &file)) == 0) {
    head.is_running_file = self.st_dev == file.st_dev && self.st_ino == file.st_ino;
    head.has_launcher_size = self.st_size == file.st_size;
  }
  const ssize_t n = fd >= 0 ? ReadUpTo(fd, g_buffer, std::min(limit, sizeof g_buffer)) : -1;
  if (n >= 0)
    head.bytes.assign(g_buffer, static_cast<std::size_t>(n));
  else
    head.refusal = ReadRefusal::kOther;
  close(fd);  // after a failed open, close(-1) only fails with EBADF
  return head;
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

std::string platform::EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void platform::AppendToFile(const std::string& path, std::string_view text) noexcept {
  // Non-blocking, and plain files only: a FIFO without a reader would hold
  // the launcher, and one whose reader has gone would end it by SIGPIPE.
  // O_APPEND puts each write at the end whoever else writes.
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return;
  const WriteSignalsIgnored ignored;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // A write cut short (a full disk, the size limit) is taken back, so
    // that the next start's lines do not run on from a part of one.
    const std::size_t written = WriteAll(fd, text);
    const off_t end = lseek(fd, 0, SEEK_CUR);  // a failed seek gives -1, a size ftruncate refuses
    if (written < text.size() && lseek(fd, 0, SEEK_END) == end)
      ftruncate(fd, end - static_cast<off_t>(written));
  }
  close(fd);
}

void platform::EndProcess(int status) { _exit(status); }
