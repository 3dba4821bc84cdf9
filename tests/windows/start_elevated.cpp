// The launcher's start through the shell's "runas" verb, alone, for the
// scenarios under Wine, which never asks for elevation and so never sends
// the launcher there:   start_elevated PROGRAM ARGUMENT_TEXT
#include "elevated_start_win32.h"

int wmain(int argc, wchar_t** argv) { return argc == 3 ? static_cast<int>(StartElevated(argv[1], argv[2])) : 100; }
