// What only the Windows entry point asks of the platform, before Main runs.
#pragma once

namespace platform {

// DLLs planted beside the launcher (a download folder, say) must not load
// in its place: before anything else can load one.
void RestrictDllSearch();

}  // namespace platform
