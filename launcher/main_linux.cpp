// The Linux process's entry point, and the mark that tells builds of the
// launcher apart from main programs, as an ELF note of its own.
#include "launcher_builds.h"
#include "mdlMain.h"
#include "platform_linux.h"

// An allocated note: the linker places it with the other notes in the first
// page, and strip keeps it. Written out in the assembler, which no
// sanitizer pads.
asm(".pushsection .note.velmaris, \"a\", @note\n"
    ".balign 4\n"
    ".long 9, 2f - 1f, 1\n"  // name size, descriptor size, type
    ".asciz \"Velmaris\"\n"
    ".balign 4\n"
    "1: .ascii \"" VELMARIS_LAUNCHER_MARK "\"\n"
    "2: .balign 4\n"
    ".popsection");

int main(int argc, char** argv) {
  platform::KeepArguments(argc, argv);
  mdlMain::Main();
}
