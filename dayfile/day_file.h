// One day file to one CSV table: reads the probe, tells the two layouts
// apart, and runs the converter of the layout found.
#ifndef READZEMLO_DAYFILE_DAY_FILE_H_
#define READZEMLO_DAYFILE_DAY_FILE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dayfile/byte_stream.h"
#include "dayfile/csv_table.h"
#include "dayfile/row_lanes.h"

namespace dayfile {

// Large blocks keep system calls rare; two of them bound the memory a
// conversion uses, whatever the size of the input.
constexpr size_t kInputBlockSize = 256 * 1024;
constexpr size_t kOutputBlockSize = 256 * 1024;
// The smallest buffers that work: one probe in, one row out.
constexpr size_t kMinInputBlockSize = 64;
constexpr size_t kMinOutputBlockSize = 512;

static_assert(kMinOutputBlockSize >= kMaxRowSize, "a row must fit");

// Working memory, made once and reused for every file of a run; any sizes
// from the minimums up work.
struct ConvertBuffers {
  ByteBuffer input;
  TextBuffer output;
  LaneBuffers lanes;  // none from MakeConvertBuffers: every row on the
                      // calling thread until the caller sets up lanes
};
ConvertBuffers MakeConvertBuffers();

// Converts the day file read from `input` (of `input_size` bytes, the size
// the record count is printed from) into a CSV table written to `output`,
// printing the layout's console lines to `console`. The first 16 bytes (zero
// beyond a shorter file) decide the layout: the hd1.0 magic, or plain. An
// empty input writes nothing at all.
ConvertResult ConvertDayFile(ByteSource input, uint64_t input_size,
                             ByteSink output, ByteSink console,
                             ConvertBuffers* buffers);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_DAY_FILE_H_
