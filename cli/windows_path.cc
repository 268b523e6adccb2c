// Extended-length paths and wildcard matching on Windows.
#include "cli/windows_path.h"

#include <windows.h>

namespace platform {
namespace {

// Below this the classic forms work everywhere: CreateFileW takes up to
// MAX_PATH - 1 characters, CreateDirectoryW 12 fewer, so that a directory
// still leaves room for an 8.3 name inside it.
constexpr size_t kClassicLimit = MAX_PATH - 12;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

bool SameLetter(wchar_t a, wchar_t b) {
  return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < kClassicLimit || StartsWith(path, L"\\\\?\\") ||
      StartsWith(path, L"\\\\.\\")) {
    return path;
  }
  // The extended form is taken literally, so resolve what only the classic
  // form understands first: relative and drive-relative names, "." and "..",
  // and forward slashes.
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool MatchesWildcard(const std::wstring& pattern, const std::wstring& name) {
  // Greedy matching with one backtrack point: the last "*" seen.
  size_t p = 0, n = 0;
  size_t star = std::wstring::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      star_n = n;
    } else if (p < pattern.size() &&
               (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != std::wstring::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

}  // namespace platform
