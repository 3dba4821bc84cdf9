// The Windows process's entry point, and the mark that tells builds of the
// launcher apart from main programs.
#include <windows.h>

#include "launcher_builds.h"
#include "mdlMain.h"
#include "platform_win32.h"

// The linker puts ".init" first in the first section, whose bytes begin
// where the headers end: within the first kilobytes whatever the code
// around it.
[[gnu::section(".init"), gnu::used]] constexpr char kLauncherMark[] = VELMARIS_LAUNCHER_MARK;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::RestrictDllSearch();
  mdlMain::Main();
}
