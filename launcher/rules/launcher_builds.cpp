#include "launcher_builds.h"

bool CarriesLauncherMark(std::string_view head) {
  return head.substr(0, kMarkWindow).find(VELMARIS_LAUNCHER_MARK) != std::string_view::npos;
}

PassOver WhyPassOver(const FileHead& file) {
  if (file.is_running_file) return PassOver::kRunningFile;
  switch (file.refusal) {
    case ReadRefusal::kNone:
      return CarriesLauncherMark(file.bytes) ? PassOver::kMarked : PassOver::kNo;
    case ReadRefusal::kInUse:
      // Held without read sharing, as an updater writing it holds it: it
      // cannot be started either, so there is no chain to fear, and its
      // start is tried so that the refusal is reported rather than an older
      // version started in silence.
      return PassOver::kNo;
    case ReadRefusal::kOther:
      // An execute-only file still runs: one of the launcher's size may be
      // an exact copy, which would start its twin in turn.
      return file.has_launcher_size ? PassOver::kMayBeCopy : PassOver::kNo;
  }
  return PassOver::kNo;
}
