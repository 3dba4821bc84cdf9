#include "trace.h"

#include <new>
#include <string>

#include "platform.h"
#include "text.h"

namespace trace {

namespace {

struct Trace {
  std::string file;   // empty: no trace
  std::string lines;  // until End: one write, so that starts at once do not interleave
};

// Reached through one call rather than as globals: each use of a global's
// address is one more entry for the Windows loader to relocate.
[[gnu::noinline]] Trace& State() {
  static Trace trace;
  return trace;
}

}  // namespace

void Begin() { State().file = platform::EnvironmentValue(kVariable); }

bool On() { return !State().file.empty(); }

void Line(std::initializer_list<std::string_view> parts) noexcept {
  if (!On()) return;
  std::string& lines = State().lines;
  const std::size_t before = lines.size();
  try {
    // A name or an argument may hold a line feed, which would start a line
    // that the launcher never wrote.
    for (std::string_view part : parts) AppendForLine(lines, part);
    lines += '\n';
  } catch (const std::bad_alloc&) {
    // What memory cannot hold goes unrecorded, and the start goes on.
    lines.resize(before);
  }
}

void End() noexcept {
  Trace& trace = State();
  if (!trace.lines.empty()) platform::AppendToFile(trace.file, trace.lines);
  trace.lines.clear();
}

}  // namespace trace
