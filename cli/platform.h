// What differs between Linux and Windows, behind one small seam: opening and
// identifying files, removing a failed output, the console and the key wait.
// Names are UTF-8 (on Linux, whatever bytes the system passed).
#ifndef READZEMLO_CLI_PLATFORM_H_
#define READZEMLO_CLI_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// What makes a file the same file under any of its names: device and inode,
// or volume serial and file index.
struct FileIdentity {
  uint64_t volume;
  uint64_t index;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

struct InputFile {
  std::FILE* file;
  uint64_t size;
  FileIdentity identity;
};

// The command line as UTF-8 strings, the program's name first.
std::vector<std::string> Arguments(int argc, char** argv);

// Opens `name` for binary reading if it is a regular file. Directories,
// FIFOs and devices are refused without blocking on them.
bool OpenInput(const std::string& name, InputFile* input);
// Both streams are plain stdio streams on every system.
inline void CloseInput(InputFile* input) {
  std::fclose(input->file);
  input->file = nullptr;
}

// True when `name` exists and is the file `identity` names, through any
// link or alias.
bool IsSameFile(const std::string& name, const FileIdentity& identity);

// Creates or truncates `name` for binary writing; null on failure. Never
// blocks, even on a FIFO.
std::FILE* CreateOutput(const std::string& name);

// Closes an output; false if buffered bytes could not be written.
inline bool CloseOutput(std::FILE* output) {
  const bool flushed = std::fflush(output) == 0;
  return std::fclose(output) == 0 && flushed;
}

// Removes `name` if it is a regular file itself; a link is left alone, and
// so is what it points to.
void RemoveOutput(const std::string& name);

// Console text on standard output and standard error.
void WriteOut(const std::string& text);
void WriteErr(const std::string& text);

// Waits for one key press on a console, read without echo and discarded;
// returns at once when standard input is not a console.
void WaitForKey();

}  // namespace platform

#endif  // READZEMLO_CLI_PLATFORM_H_
