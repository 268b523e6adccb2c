// The platform seam on Windows: wide-character file names, file identity by
// volume serial and file index, wildcard expansion, console text and the
// console key wait.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/platform.h"

namespace platform {
namespace {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                      &utf8[0], n, nullptr, nullptr);
  return utf8;
}

bool IdentityOf(HANDLE handle, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  *identity = {info.dwVolumeSerialNumber,
               (static_cast<uint64_t>(info.nFileIndexHigh) << 32) |
                   info.nFileIndexLow};
  return true;
}

// Wraps a handle in a binary-mode stdio stream (no CR LF translation: the
// table writes its own line ends). Closes the handle on failure.
std::FILE* StreamOf(HANDLE handle, int flags, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                 flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, mode);
  if (file == nullptr) {
    _close(fd);
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

// Windows shells pass wildcards through: expand each argument holding * or
// ? to the names it matches, in the order the system lists them, keeping
// the directory part. An argument that matches nothing stays as it is.
void AppendExpanded(const std::wstring& argument,
                    std::vector<std::string>* args) {
  if (argument.find_first_of(L"*?") == std::wstring::npos) {
    args->push_back(Narrow(argument));
    return;
  }
  const size_t slash = argument.find_last_of(L"\\/:");
  std::wstring directory;
  if (slash != std::wstring::npos) directory = argument.substr(0, slash + 1);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(argument.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    args->push_back(Narrow(argument));
    return;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") args->push_back(Narrow(directory + name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool IsConsole(HANDLE handle) {
  DWORD mode;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void WriteHandle(DWORD which, const std::string& text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  if (IsConsole(handle)) {  // names in any script, whatever the code page
    const std::wstring wide = Widen(text);
    DWORD written;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()),
                  &written, nullptr);
    return;
  }
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + done,
                   static_cast<DWORD>(text.size() - done), &written, nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace

std::vector<std::string> Arguments(int, char**) {
  // The wide command line: argv holds names in the ANSI code page, which
  // loses every character outside it.
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (wide == nullptr) return args;
  for (int i = 0; i < count; ++i) {
    if (i == 0) {
      args.push_back(Narrow(wide[0]));
    } else {
      AppendExpanded(wide[i], &args);
    }
  }
  LocalFree(wide);
  return args;
}

bool OpenInput(const std::string& name, InputFile* input) {
  HANDLE handle = CreateFileW(Widen(name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  // Only files on disk: consoles, NUL, pipes and other devices are refused.
  LARGE_INTEGER size;
  FileIdentity identity;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size) ||
      !IdentityOf(handle, &identity)) {
    CloseHandle(handle);
    return false;
  }
  std::FILE* file = StreamOf(handle, _O_RDONLY, "rb");
  if (file == nullptr) return false;
  *input = {file, static_cast<uint64_t>(size.QuadPart), identity};
  return true;
}

bool IsSameFile(const std::string& name, const FileIdentity& identity) {
  HANDLE handle = CreateFileW(
      Widen(name).c_str(), 0,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FileIdentity other;
  const bool known = IdentityOf(handle, &other);
  CloseHandle(handle);
  return known && other == identity;
}

std::FILE* CreateOutput(const std::string& name) {
  HANDLE handle = CreateFileW(Widen(name).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return StreamOf(handle, _O_WRONLY, "wb");
}

void RemoveOutput(const std::string& name) {
  const std::wstring wide = Widen(name);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                      FILE_ATTRIBUTE_DEVICE))) {
    DeleteFileW(wide.c_str());
  }
}

void WriteOut(const std::string& text) { WriteHandle(STD_OUTPUT_HANDLE, text); }
void WriteErr(const std::string& text) { WriteHandle(STD_ERROR_HANDLE, text); }

void WaitForKey() {
  // GetConsoleMode fails for pipes, files and NUL, for which _isatty would
  // wrongly say yes: only a real console waits.
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved)) return;
  SetConsoleMode(input, saved & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  for (;;) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) break;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  }
  SetConsoleMode(input, saved);
}

}  // namespace platform
