#include "windows_path.h"

#include "windows_constants.h"

std::wstring LongPath(std::wstring path) {
  if (path.size() < windows::kMaxPath || path.starts_with(L"\\\\?\\")) return path;
  // A UNC path's first backslash gives way to the prefix's "UNC". Built by
  // copies, not by insert, whose code the product would carry for this alone.
  const bool unc = path.starts_with(L"\\\\");
  const std::wstring_view prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
  std::wstring long_path(prefix.size() + path.size() - unc, L'\0');
  prefix.copy(long_path.data(), prefix.size());
  path.copy(long_path.data() + prefix.size(), path.size() - unc, unc);
  return long_path;
}
