#include "trace.h"

#include <new>
#include <string>

#include "platform.h"

namespace trace {

namespace {
std::string g_file;  // empty: no trace
}

void Begin() { g_file = platform::EnvironmentValue(kVariable); }

bool On() { return !g_file.empty(); }

void Line(std::initializer_list<std::string_view> parts) noexcept {
  if (!On()) return;
  try {
    std::string line;
    for (std::string_view part : parts) line += part;
    platform::AppendToFile(g_file, line + '\n');
  } catch (const std::bad_alloc&) {
    // What memory cannot hold goes unrecorded; the start goes on.
  }
}

}  // namespace trace
