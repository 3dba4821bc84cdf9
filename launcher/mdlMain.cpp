#include "mdlMain.h"

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "frmIcon.h"
#include "main_program.h"
#include "platform.h"
#include "trace.h"

namespace mdlMain {

namespace {

// The whole text takes memory, which may be what failed: then the prompt
// alone is shown.
void ShowFailure(const char* description) noexcept {
  try {
    platform::ShowMessageBox(std::string(kErrorPrompt) + "\r\n" + description, kWarningBox, kTitle);
  } catch (const std::bad_alloc&) {
    platform::ShowMessageBox(kErrorPrompt, kWarningBox, kTitle);
  }
}

}  // namespace

void Main() {
  ExitStatus status;
  try {
    trace::Begin();
    const std::string launcher_folder = platform::LauncherFolder();
    trace::Line({"launcher folder: ", launcher_folder});
    const platform::Arguments arguments = platform::LauncherArguments();
    const std::int16_t version = ReadAppVersion(launcher_folder);
    const std::string name = FindMainProgram(launcher_folder, version);
    if (!name.empty()) {
      StartMainProgram(launcher_folder, name, arguments);
      trace::End();
      status = kStarted;
    } else {
      trace::Line({"not found"});
      trace::End();
      platform::Beep();
      platform::ShowMessageBox(kNotFoundPrompt, kWarningBox, kTitle);
      status = kNotFound;
    }
    frmIcon::Unload();
  } catch (const std::exception& failure) {
    // Failures are reported once and never retried; out of memory lands
    // here too, with the runtime's description.
    trace::Line({"failed: ", failure.what()});
    trace::End();
    platform::Beep();
    ShowFailure(failure.what());
    platform::EndProcess(kFailed);
  }
  platform::EndProcess(status);
}

}  // namespace mdlMain
