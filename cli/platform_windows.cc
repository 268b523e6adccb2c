// The platform seam on Windows: wide-character file names, file identity by
// volume serial and file index, wildcard expansion, the output that a
// console interrupt removes, console text and the console key wait.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <new>

#include "cli/platform.h"
#include "cli/windows_path.h"

namespace platform {
namespace {

// What the console control handler may have to undo. It runs on a thread of
// its own while the main thread may still write the output, so both take
// the lock.
struct PendingOutput {
  CRITICAL_SECTION lock;
  std::wstring name;
  HANDLE handle = nullptr;  // open until CloseOutput
  bool pending = false;
  bool removable = false;   // the name is a file itself, not a link
  HANDLE console_input = nullptr;
  DWORD saved_mode = 0;
  bool mode_changed = false;
};
PendingOutput g_state;

struct Locked {
  Locked() { EnterCriticalSection(&g_state.lock); }
  ~Locked() { LeaveCriticalSection(&g_state.lock); }
};

bool IsRemovable(const std::wstring& name) {
  const DWORD attributes = GetFileAttributesW(name.c_str());
  constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY |
                              FILE_ATTRIBUTE_REPARSE_POINT |
                              FILE_ATTRIBUTE_DEVICE;
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kNotAFile);
}

// Ctrl-C, Ctrl-Break, a closed console window, logoff and shutdown: remove
// the pending output, put the console input mode back, and end as a program
// stopped by Ctrl-C does, never with 0.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  EnterCriticalSection(&g_state.lock);  // held until the process is gone
  if (g_state.pending && g_state.removable) {
    if (g_state.handle != nullptr) {
      // The main thread holds the file open without FILE_SHARE_DELETE, so
      // the name cannot be deleted; the handle can be marked instead, and
      // the file goes when the process ends.
      FILE_DISPOSITION_INFO info = {TRUE};
      SetFileInformationByHandle(g_state.handle, FileDispositionInfo, &info,
                                 sizeof info);
    } else {
      DeleteFileW(g_state.name.c_str());
    }
  }
  if (g_state.mode_changed) {
    SetConsoleMode(g_state.console_input, g_state.saved_mode);
  }
  TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  return TRUE;
}

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

// A UTF-8 name in the form the wide-character calls take at any length.
std::wstring SystemName(const std::string& utf8) {
  return ExtendedLengthPath(Widen(utf8));
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
// the directory part. The system also matches the pattern against each
// file's 8.3 short name ("*.day" finds "b.dayz" as "B~1.DAY"), so only the
// long names that match it are kept. An argument that matches nothing stays
// as it is.
void AppendExpanded(const std::wstring& argument,
                    std::vector<std::string>* args) {
  if (argument.find_first_of(L"*?") == std::wstring::npos) {
    args->push_back(Narrow(argument));
    return;
  }
  const size_t slash = argument.find_last_of(L"\\/:");
  std::wstring directory;
  if (slash != std::wstring::npos) directory = argument.substr(0, slash + 1);
  const std::wstring pattern = argument.substr(directory.size());
  const size_t before = args->size();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(ExtendedLengthPath(argument).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L".." && MatchesWildcard(pattern, name)) {
        args->push_back(Narrow(directory + name));
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (args->size() == before) args->push_back(Narrow(argument));
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
  // Redirected to a file or a pipe, text ends its lines in CR LF, as a
  // Windows program's text output does: batch files and older tools that
  // read such logs expect it.
  std::string lines;
  lines.reserve(text.size() + 4);
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  size_t done = 0;
  while (done < lines.size()) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(lines.size() - done);
    if (!WriteFile(handle, lines.data() + done, size, &written, nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace

bool StartProcess() {
  InitializeCriticalSection(&g_state.lock);
  // A missing standard handle needs nothing: console text then goes nowhere,
  // since it is written to the handles, never to descriptor numbers. An
  // inherited "ignore Ctrl-C" stays in force: the handler is not called.
  return SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
}

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
  HANDLE handle = CreateFileW(SystemName(name).c_str(), GENERIC_READ,
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

bool IsRegularFile(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(SystemName(name).c_str(), GetFileExInfoStandard,
                            &data)) {
    return false;
  }
  return (data.dwFileAttributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool IsSameFile(const std::string& name, const FileIdentity& identity) {
  HANDLE handle = CreateFileW(
      SystemName(name).c_str(), 0,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FileIdentity other;
  const bool known = IdentityOf(handle, &other);
  CloseHandle(handle);
  return known && other == identity;
}

std::FILE* CreateOutput(const std::string& name) {
  const std::wstring wide = SystemName(name);
  Locked locked;  // the handler waits until the file is known
  // DELETE lets an interrupt mark the open file for deletion. A reader that
  // holds the old table without sharing deletion refuses it; then the table
  // is still written, as before, but an interrupt cannot remove it.
  HANDLE handle = INVALID_HANDLE_VALUE;
  const DWORD kAccess[] = {GENERIC_WRITE | DELETE, GENERIC_WRITE};
  for (const DWORD access : kAccess) {
    handle = CreateFileW(wide.c_str(), access, FILE_SHARE_READ, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE ||
        GetLastError() != ERROR_SHARING_VIOLATION) {
      break;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  std::FILE* file = StreamOf(handle, _O_WRONLY, "wb");
  if (file == nullptr) return nullptr;
  g_state.name = wide;
  g_state.handle = handle;
  g_state.pending = true;
  g_state.removable = IsRemovable(wide);
  return file;
}

bool CloseOutput(std::FILE* output) {
  Locked locked;
  const bool flushed = std::fflush(output) == 0;
  const bool closed = std::fclose(output) == 0;
  g_state.handle = nullptr;
  return closed && flushed;
}

void KeepOutput() {
  Locked locked;
  g_state.pending = false;
}

void RemoveOutput() {
  Locked locked;
  if (g_state.pending && g_state.removable) DeleteFileW(g_state.name.c_str());
  g_state.pending = false;
}

namespace {

struct Thread {
  HANDLE handle;
  void (*run)(void*);
  void* arg;
};

DWORD WINAPI RunThread(LPVOID thread) {
  auto* t = static_cast<Thread*>(thread);
  t->run(t->arg);
  return 0;
}

}  // namespace

int UsableProcessors() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
    return 1;
  }
  int count = 0;
  for (; process != 0; process &= process - 1) ++count;
  return count > 0 ? count : 1;
}

bool StartThread(void (*run)(void*), void* arg, void** thread) {
  auto* t = new (std::nothrow) Thread{nullptr, run, arg};
  if (t == nullptr) return false;
  t->handle = CreateThread(nullptr, 0, RunThread, t, 0, nullptr);
  if (t->handle == nullptr) {
    delete t;
    return false;
  }
  *thread = t;
  return true;
}

void JoinThread(void* thread) {
  auto* t = static_cast<Thread*>(thread);
  WaitForSingleObject(t->handle, INFINITE);
  CloseHandle(t->handle);
  delete t;
}

void WriteOut(const std::string& text) { WriteHandle(STD_OUTPUT_HANDLE, text); }
void WriteErr(const std::string& text) { WriteHandle(STD_ERROR_HANDLE, text); }

void WaitForKey() {
  // GetConsoleMode fails for pipes, files and NUL, for which _isatty would
  // wrongly say yes: only a real console waits.
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved)) return;
  {
    Locked locked;  // an interrupt from here on puts the mode back
    g_state.console_input = input;
    g_state.saved_mode = saved;
    g_state.mode_changed = true;
  }
  SetConsoleMode(input, saved & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  for (;;) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) break;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  }
  Locked locked;
  SetConsoleMode(input, saved);
  g_state.mode_changed = false;
}

}  // namespace platform
