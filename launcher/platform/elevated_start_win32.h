// Starting a program whose manifest asks for administrator rights.
#pragma once

// Starts `application` with `parameters` (the argument text, as it stands)
// through the shell's "runas" verb, which shows the system's consent prompt,
// in a normal window. Returns 0, or the system's error code (ERROR_CANCELLED
// when the user declines).
unsigned long StartElevated(const wchar_t* application, const wchar_t* parameters);
