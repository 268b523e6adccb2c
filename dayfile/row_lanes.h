// Rows on two cores. After its header, a table's records are cut into
// chunks of as many whole records as a lane's input holds, and two lanes
// take the chunks in
// turn: each reads its chunk straight into its own buffer, formats its rows
// there and writes them out, the reads and the writes in file order. So each
// lane's bytes stay in its own core's cache, and the table's bytes are the
// same as from one thread.
#ifndef READZEMLO_DAYFILE_ROW_LANES_H_
#define READZEMLO_DAYFILE_ROW_LANES_H_

#include <cstddef>
#include <cstdint>

#include "dayfile/byte_stream.h"

namespace dayfile {

// A layout's rows: the length of its records, and the loop that turns every
// record `reader` holds into rows, until it ends or `writer` fails.
struct RowLayout {
  size_t record_len;
  void (*write_rows)(BlockReader* reader, size_t record_len,
                     TextWriter* writer);
};

// A second thread, started by whoever knows how: false if it cannot be had,
// and the lanes then run on the calling thread alone.
struct ThreadStarter {
  bool (*start)(void (*run)(void*), void* arg, void** thread);
  void (*join)(void* thread);
};

// Working memory of the lanes, made once for a run, and how they get their
// second thread; without `threads.start`, every table stays on one thread.
struct LaneBuffers {
  ThreadStarter threads;
  ByteBuffer input[2];
  TextBuffer output[2];
};

// The chunk that pays: far more rows than a hand-over between the lanes
// costs, few enough that a chunk and its rows stay in a core's cache.
constexpr size_t kLaneChunkBytes = 128 * 1024;

// Buffers for chunks of up to `chunk_bytes` input bytes, no threads set.
LaneBuffers MakeLaneBuffers(size_t chunk_bytes);

// Writes the rows of the records left in `reader` to `writer`: in lanes when
// `remaining` (the bytes the input is expected to hold still) is more than
// one chunk and a second thread can be had, else (or with null `lanes`) on
// this thread. The reader
// and writer end as the one-thread loop leaves them: `failed` set on a read
// or write error, and everything written by the time this returns.
void WriteRowsInLanes(BlockReader* reader, const RowLayout& layout,
                      uint64_t remaining, TextWriter* writer,
                      LaneBuffers* lanes);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_ROW_LANES_H_
