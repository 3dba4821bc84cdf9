// The form that holds the application icon. It is never shown: the launch
// sequence only releases it before an ordinary end, which creates it first
// when it does not exist yet. Where there are no forms it is the loaded icon.
#pragma once

namespace frmIcon {

void Unload();

}  // namespace frmIcon
