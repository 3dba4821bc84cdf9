// What the end-to-end tests share: temporary folders, files, and running a
// program to its end.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fresh folder under /tmp, removed with everything in it at the end.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& content, fs::perms perms = fs::perms(0644));
std::string ReadFile(const fs::path& path);

// The content of a file that another process is about to write whole (by
// renaming it into place); "" if it has not appeared after ten seconds.
std::string WaitForFile(const fs::path& path);

struct Finished {
  int exit_status;  // -1 when the process did not exit normally
  std::string stderr_text;
  long peak_memory_kib = 0;  // the largest resident set it had
};

// Starts argv[0] (no PATH search) in `cwd` with `environment`, reading
// /dev/null and writing its output and errors to the files named, or
// nowhere; -1 when it cannot start. Nothing it leaves running can hold the
// test runner's own output open.
int StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const fs::path& cwd, const fs::path& output = {}, const fs::path& errors = {});

// Runs argv[0] as StartProcess does and waits for it.
Finished RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const fs::path& cwd);
