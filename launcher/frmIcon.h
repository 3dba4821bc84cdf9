// The form that holds the application icon. It is never shown: the launch
// sequence only releases it before an ordinary end, which creates it first
// when it does not exist yet. Where there are no forms it is the icon
// resource that the executable carries.
#pragma once

namespace frmIcon {

void Unload();

}  // namespace frmIcon
