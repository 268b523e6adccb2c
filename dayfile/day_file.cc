// Layout detection and dispatch for one day file.
#include "dayfile/day_file.h"

#include <cstring>

#include "dayfile/hd_day_file.h"
#include "dayfile/plain_day_file.h"

namespace dayfile {

ConvertBuffers MakeConvertBuffers() {
  return {ByteBuffer(kInputBlockSize), TextBuffer(kOutputBlockSize),
          LaneBuffers{}};
}

ConvertResult ConvertDayFile(ByteSource input, uint64_t input_size,
                             ByteSink output, ByteSink console,
                             ConvertBuffers* buffers) {
  BlockReader reader;
  StartReader(&reader, input, buffers->input.data(), buffers->input.size());
  TextWriter writer;
  StartWriter(&writer, output, buffers->output.data(), buffers->output.size());

  // The probe is cleared for every file, so a short file is judged by its
  // own bytes and zeros, never by what an earlier file left behind.
  uint8_t probe[kHdHeaderSize] = {};
  const uint8_t* head;
  const size_t probed = Peek(&reader, kHdHeaderSize, &head);
  if (probed == 0) return FinishConversion(&reader, &writer);
  std::memcpy(probe, head, probed);

  if (HasHdMagic(probe)) {
    ReadRecord(&reader, probed, probe, 0);  // the header is consumed
    return ConvertHdDayFile(&reader, probe, input_size, &writer, console,
                            &buffers->lanes);
  }
  // A plain file has no header: its first bytes are the first record.
  return ConvertPlainDayFile(&reader, input_size, &writer, console,
                             &buffers->lanes);
}

}  // namespace dayfile
