// How the launcher knows a build of itself among the files it may start. A
// launcher named like its main program would start itself for ever, and two
// builds of it (two versions, a stripped, signed or patched copy) would
// start each other: so every build carries one mark near the start of its
// file, and a candidate that is the running file or carries the mark is
// passed over.
#pragma once

// The same bytes in every version and build. Each platform's entry point
// places them where no build step moves them: an allocated ELF note, which
// the linker puts in the first page beside the program headers and strip
// keeps; the first bytes of PE's first section, at the end of its headers,
// which signing leaves alone (it appends its certificate). The random digits
// keep any other program from carrying them by chance.
#define VELMARIS_LAUNCHER_MARK "VelmarisLaunch build mark fa88eb2ec37fa198"

#include <cstddef>
#include <string>
#include <string_view>

// Why a file's first bytes could not be read.
enum class ReadRefusal {
  kNone,
  // Another program holds the file without sharing reads (Windows), as an
  // updater writing it does; then it cannot be started either.
  kInUse,
  // Anything else: no read permission (an execute-only program still
  // runs), the file gone since it was listed, a device that fails.
  kOther,
};

// What one open of a file tells about it, as the platform finds it: whether
// it is the running executable, whether it has its size, and its first
// bytes. The identity and the size are asked even of a file that may not be
// read.
struct FileHead {
  bool is_running_file = false;    // in whatever name or link
  bool has_launcher_size = false;  // both sizes known and equal
  std::string bytes;               // at most the limit asked for
  ReadRefusal refusal = ReadRefusal::kNone;
};

// How much of a file's beginning is searched for the mark: one read.
inline constexpr std::size_t kMarkWindow = 4096;

// Whether the mark lies whole within the first kMarkWindow bytes of `head`.
bool CarriesLauncherMark(std::string_view head);

enum class PassOver {
  kNo,
  kRunningFile,  // the launcher itself, by another name or link
  kMarked,       // another build, or a copy, of the launcher
  kMayBeCopy,    // could not be read to tell, and has the launcher's size
};

// Why the file that would be started must be passed over, if it must.
PassOver WhyPassOver(const FileHead& file);
