// Windows paths in the wide form that the API takes.
#pragma once

#include <string>

// `path`, full and plain as the launcher's own is, in the form that the file
// functions take past MAX_PATH, which the profile reader and the plain form
// do not: "\\?\" before a drive path, "\\?\UNC\" for a share; shorter
// paths and those in that form already as they are.
std::wstring LongPath(std::wstring path);
