// Reading ahead: while the run writes one table, a second thread reads the
// next small input and converts it in memory. Nothing it does can be seen:
// it creates, truncates and prints nothing, and the run still opens every
// input, checks it and creates its output at its turn, then writes the rows
// made ahead only if they came from that very file, unchanged since.
#ifndef READZEMLO_CLI_READ_AHEAD_H_
#define READZEMLO_CLI_READ_AHEAD_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "cli/platform.h"
#include "dayfile/day_file.h"

namespace cli {

// Inputs up to this size are read ahead: a larger one runs in lanes anyway.
constexpr uint64_t kReadAheadInputBytes = dayfile::kLaneChunkBytes;
// More rows than this (rows far longer than real quotes have) and the table
// is made at its turn instead, so the memory stays small.
constexpr size_t kReadAheadRowBytes = 1024 * 1024;

// One input converted ahead of its turn.
struct PreparedTable {
  bool whole;  // read to its end and converted; else convert it at its turn
  platform::FileIdentity identity;  // of the file that was read
  uint64_t size;                    // its size when it was opened
  std::string console;              // what its conversion printed
  std::string rows;                 // the table, header included
};

// The second thread and its two tables: one the run is writing, one the
// thread is making.
struct ReadAhead {
  bool running = false;
  void* thread = nullptr;
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  bool asked = false;  // `name` waits for the thread
  bool busy = false;   // asked, or being made
  bool done = false;   // tables[filling] is made, not yet taken
  std::string name;
  int filling = 0;
  PreparedTable tables[2];
  dayfile::ConvertBuffers buffers;
};

// Starts the thread; false (and nothing read ahead) if it cannot be had.
bool StartReadAhead(ReadAhead* ahead);

// Has the thread make the table of input `name`. Call TakeReadAhead before
// asking again.
void AskReadAhead(ReadAhead* ahead, const std::string& name);

// Waits for the table asked for last and returns it; it stays valid until
// the next table after it is taken.
const PreparedTable* TakeReadAhead(ReadAhead* ahead);

// Waits for the thread to finish what it is doing, and ends it.
void StopReadAhead(ReadAhead* ahead);

// True when `table` may stand for converting `input` now: made whole from
// the same file at the same size, and that file is not the table named
// `made_before` (empty for none), written while it was read.
bool StandsFor(const PreparedTable& table, const platform::InputFile& input,
               const std::string& made_before);

}  // namespace cli

#endif  // READZEMLO_CLI_READ_AHEAD_H_
