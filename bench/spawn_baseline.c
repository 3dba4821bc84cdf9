/* The least a launcher can do: start one program by its path and end. */
#include <spawn.h>
#include <stdio.h>

extern char **environ;

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  pid_t pid;
  return posix_spawn(&pid, argv[1], NULL, NULL, argv + 1, environ) == 0 ? 0 : 1;
}
