/* Stands in for the main program on Windows: starts and ends. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance, (void)previous, (void)arguments, (void)show;
  return 0;
}
