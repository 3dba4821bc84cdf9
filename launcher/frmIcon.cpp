#include "frmIcon.h"

#include <optional>

#include "platform.h"

namespace frmIcon {

namespace {
std::optional<platform::IconHandle> g_icon;  // the form, while it exists
}

void Unload() {
  if (!g_icon) g_icon = platform::LoadApplicationIcon();
  platform::FreeApplicationIcon(*g_icon);
  g_icon.reset();
}

}  // namespace frmIcon
