// Plain day files: a bare sequence of 32-byte records, one per trading day,
// with prices stored as hundredths in integers.
#ifndef READZEMLO_DAYFILE_PLAIN_DAY_FILE_H_
#define READZEMLO_DAYFILE_PLAIN_DAY_FILE_H_

#include <cstddef>
#include <cstdint>

#include "dayfile/byte_stream.h"
#include "dayfile/row_lanes.h"

namespace dayfile {

// Layout of one record, all fields little-endian.
constexpr size_t kDayRecordSize = 32;
constexpr size_t kDayDateOffset = 0;     // uint32 TradingDate
constexpr size_t kDayOpenOffset = 4;     // uint32 price * 100
constexpr size_t kDayHighOffset = 8;     // uint32 price * 100
constexpr size_t kDayLowOffset = 12;     // uint32 price * 100
constexpr size_t kDayCloseOffset = 16;   // uint32 price * 100
constexpr size_t kDayAmountOffset = 20;  // IEEE 754 single precision
constexpr size_t kDayVolumeOffset = 24;  // int32
// Bytes 28 to 31 are not read.

struct DayRecord {
  uint32_t date;
  uint32_t open;  // hundredths, as are high, low and close
  uint32_t high;
  uint32_t low;
  uint32_t close;
  float amount;
  int32_t volume;
};

// Decodes the kDayRecordSize bytes at `bytes`.
DayRecord DecodeDayRecord(const uint8_t* bytes);

// Writes one CSV row with its CR LF (at most kMaxRowSize bytes); returns the
// end.
char* FormatDayRow(const DayRecord& record, char* dst);

// Writes the table of a plain day file: the header line and one row per
// record, the last from a short read if the length is not a multiple of 32,
// its missing bytes zero. Prints "iFileLen:<records>\n" to `console` first,
// counting whole records in `input_size` bytes. The rows go through `lanes`
// (null: this thread only).
ConvertResult ConvertPlainDayFile(BlockReader* input, uint64_t input_size,
                                  TextWriter* output, ByteSink console,
                                  LaneBuffers* lanes);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_PLAIN_DAY_FILE_H_
