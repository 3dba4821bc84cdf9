// What only the Linux entry point tells the platform, before Main runs.
#pragma once

namespace platform {

// The process's own argument vector, which POSIX hands to main alone.
void KeepArguments(int argc, char** argv);

}  // namespace platform
