#include "windows_path.h"

#include "windows_constants.h"

std::wstring LongPath(std::wstring path) {
  if (path.size() >= windows::kMaxPath && !path.starts_with(L"\\\\?\\"))
    path.starts_with(L"\\\\") ? path.insert(1, L"\\?\\UNC") : path.insert(0, L"\\\\?\\");
  return path;
}
