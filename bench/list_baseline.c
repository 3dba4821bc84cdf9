/* The least a launcher must do in a large folder: read every entry's name. */
#include <dirent.h>
#include <stddef.h>

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  DIR *dir = opendir(argv[1]);
  if (dir == NULL) return 1;
  unsigned long count = 0;
  while (readdir(dir) != NULL) ++count;
  closedir(dir);
  return count == 0;
}
