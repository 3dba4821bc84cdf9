#include "process_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

TemporaryFolder::TemporaryFolder() {
  char pattern[] = "/tmp/velmaris-test-XXXXXX";
  path_ = mkdtemp(pattern);
}

TemporaryFolder::~TemporaryFolder() { fs::remove_all(path_); }

void WriteFile(const fs::path& path, const std::string& content, fs::perms perms) {
  std::ofstream(path, std::ios::binary) << content;
  fs::permissions(path, perms);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WaitForFile(const fs::path& path) {
  for (int i = 0; i < 1000 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return ReadFile(path);
}

namespace {

std::vector<char*> NullTerminated(const std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (const std::string& word : words) pointers.push_back(const_cast<char*>(word.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

int StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const fs::path& cwd, const fs::path& output, const fs::path& errors) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const int flags = O_WRONLY | O_CREAT | O_TRUNC;
  posix_spawn_file_actions_addopen(&actions, 1, output.empty() ? "/dev/null" : output.c_str(), flags, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errors.empty() ? "/dev/null" : errors.c_str(), flags, 0644);
  std::vector<char*> argv_pointers = NullTerminated(argv);
  std::vector<char*> environment_pointers = NullTerminated(environment);
  pid_t pid;
  const int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argv_pointers.data(),
                                environment_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

Finished RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const fs::path& cwd) {
  TemporaryFolder scratch;
  const fs::path stderr_path = scratch.path() / "stderr";
  const pid_t pid = StartProcess(argv, environment, cwd, {}, stderr_path);
  if (pid < 0) return {-1, "cannot start " + argv[0]};
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(stderr_path), usage.ru_maxrss};
}
