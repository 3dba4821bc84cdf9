// Values of the Windows API that the launcher uses but XP's headers, which
// it is built against, do not define; and the resource number that the
// executable's resource script and its code share.
#pragma once

// The Common Controls 6 manifest: 1 to 16 are the system's own.
#define VELMARIS_CONTROLS_MANIFEST 100

#ifndef RC_INVOKED
namespace windows {

inline constexpr int kFileIdInfo = 18;                    // FILE_INFO_BY_HANDLE_CLASS, Windows 8
inline constexpr int kFindExInfoBasic = 1;                // FINDEX_INFO_LEVELS, Windows 7
inline constexpr unsigned long kFindLargeFetch = 2;       // FIND_FIRST_EX_LARGE_FETCH, Windows 7
inline constexpr unsigned long kSearchSystem32 = 0x800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
inline constexpr unsigned long kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, Vista
inline constexpr unsigned long kMaxPath = 260;           // MAX_PATH, with the terminator
// UTF-16 units with the terminator: the longest path Windows takes.
inline constexpr unsigned long kLongText = 32768;
// A command line, in UTF-16 units with its terminator (CreateProcessW).
inline constexpr unsigned long kCommandLineLimit = 32767;

}  // namespace windows
#endif
