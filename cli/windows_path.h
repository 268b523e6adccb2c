// Windows path forms the system needs beyond the classic limits. Windows
// only; kept apart from the rest of the platform seam so that a test under
// Wine can check it case by case.
#ifndef READZEMLO_CLI_WINDOWS_PATH_H_
#define READZEMLO_CLI_WINDOWS_PATH_H_

#include <string>

namespace platform {

// Windows refuses names of MAX_PATH (260) characters and more unless they
// come in the extended-length form, which the system takes literally. A
// path that long is made absolute, with "." and ".." resolved and "/" made
// "\", and returned as "\\?\C:\..." or, for a share, "\\?\UNC\server\...".
// Shorter paths, and paths already in a "\\?\" or "\\.\" form, are returned
// as they are.
std::wstring ExtendedLengthPath(const std::wstring& path);

// True when `name` matches `pattern`, in which "*" stands for any run of
// characters and "?" for one, letter case ignored as the file system does.
bool MatchesWildcard(const std::wstring& pattern, const std::wstring& name);

}  // namespace platform

#endif  // READZEMLO_CLI_WINDOWS_PATH_H_
