// What differs between Linux and Windows, behind one small seam: starting
// the process safely, opening and identifying files, the output being
// written (which a failure or an interrupt removes), the console and the key
// wait. Names are UTF-8 (on Linux, whatever bytes the system passed).
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

// Called first in main(). Opens any closed standard descriptor on the null
// device, so no file can take a console's place; makes a broken console pipe
// and a file-size limit fail writes instead of ending the process; and has
// an interrupt from outside (Ctrl-C, kill, a closed terminal or console,
// logoff) remove the output being written, put the terminal back and end the
// process as that interrupt would. False if the process cannot run safely.
bool StartProcess();

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

// True when `name` is a regular file (through links), told without opening
// it: opening a FIFO or a device ahead of its turn could be seen.
bool IsRegularFile(const std::string& name);

// True when `name` exists and is the file `identity` names, through any
// link or alias.
bool IsSameFile(const std::string& name, const FileIdentity& identity);

// The output being written. CreateOutput makes a file the one pending
// output; until KeepOutput or RemoveOutput, an interrupt removes it. Only
// one output is pending at a time.

// Creates or truncates `name` for binary writing; null on failure. Never
// blocks, even on a FIFO. There is no moment at which the file exists and an
// interrupt would not know it.
std::FILE* CreateOutput(const std::string& name);

// Closes the pending output; false if buffered bytes could not be written.
// It stays pending.
bool CloseOutput(std::FILE* output);

// The pending output is whole: nothing removes it any more.
void KeepOutput();

// Removes the pending output if its name still names that regular file; a
// link is left alone, and so is what it points to.
void RemoveOutput();

// The processors this process may run on (1 when that cannot be told): two
// threads pay only with two of them.
int UsableProcessors();

// Starts `run(arg)` on a thread of its own, with the interrupts left to the
// main thread; false if no thread can be had. JoinThread waits for it.
bool StartThread(void (*run)(void*), void* arg, void** thread);
void JoinThread(void* thread);

// Console text on standard output and standard error.
void WriteOut(const std::string& text);
void WriteErr(const std::string& text);

// Waits for one key press on a console, read without echo and discarded;
// returns at once when standard input is not a console.
void WaitForKey();

}  // namespace platform

#endif  // READZEMLO_CLI_PLATFORM_H_
