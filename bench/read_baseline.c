/* The least a reader of version.ini must do: read the whole file, in the
   launcher's 64 KiB chunks, and look through each for one byte ("["). */
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv) {
  static char chunk[64 * 1024];
  if (argc < 2) return 2;
  int fd = open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  unsigned long found = 0;
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0) found += memchr(chunk, '[', (size_t)n) != NULL;
  close(fd);
  return found == 0;
}
