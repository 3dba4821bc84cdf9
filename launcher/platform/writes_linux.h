// What the Linux platform's files share for their own writes, which must
// neither wait nor end the launcher by a signal.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace writes_linux {

// How much of `text` was written. One write puts out all of it to a pipe,
// a terminal or a file, as no signal handler of the launcher's interrupts
// it; one cut short by a full disk or the size limit would fail if it were
// tried again.
inline std::size_t WriteAll(int fd, std::string_view text) {
  return static_cast<std::size_t>(std::max<ssize_t>(write(fd, text.data(), text.size()), 0));
}

// A signal's disposition while the launcher's own writes and waits need it,
// then the inherited one again, which a started program inherits in turn.
class ScopedDisposition {
 public:
  ScopedDisposition(int signal, void (*handler)(int)) : signal_(signal) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigaction(signal, &action, &previous_);
  }
  ~ScopedDisposition() { sigaction(signal_, &previous_, nullptr); }
  ScopedDisposition(const ScopedDisposition&) = delete;
  ScopedDisposition& operator=(const ScopedDisposition&) = delete;

 private:
  int signal_;
  struct sigaction previous_ {};
};

// What may end or stop a write by a signal, and must not end or stop the
// launcher: a pipe whose reader has gone (the terminal or session that
// started it has closed), a file at the size limit that the launcher
// inherited, a terminal that stops a background job's output ("stty
// tostop"), which lets the write through when the signal is ignored.
struct WriteSignalsIgnored {
  ScopedDisposition pipe{SIGPIPE, SIG_IGN}, size{SIGXFSZ, SIG_IGN}, terminal{SIGTTOU, SIG_IGN};
};

}  // namespace writes_linux
