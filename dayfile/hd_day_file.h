// hd1.0 day files: a 16-byte header, a skipped block of one record's length,
// then records of the header's length whose values are packed decimals.
#ifndef READZEMLO_DAYFILE_HD_DAY_FILE_H_
#define READZEMLO_DAYFILE_HD_DAY_FILE_H_

#include <cstddef>
#include <cstdint>

#include "dayfile/byte_stream.h"
#include "dayfile/row_lanes.h"

namespace dayfile {

// Header layout, little-endian.
constexpr size_t kHdHeaderSize = 16;
constexpr size_t kHdMagicSize = 6;  // 'h' 'd' '1' '.' '0' NUL
constexpr uint8_t kHdMagic[kHdMagicSize] = {'h', 'd', '1', '.', '0', 0};
constexpr size_t kHdRecordNumLowOffset = 6;   // uint16, low half of RecordNum
constexpr size_t kHdRecordNumHighOffset = 8;  // uint16, high half
constexpr size_t kHdRecordStartOffset = 10;   // uint16
constexpr size_t kHdRecordLenOffset = 12;     // uint16
// Bytes 14 and 15 are not read.

// Record layout: the first kHdDecodedSize bytes of each record are decoded.
constexpr size_t kHdDecodedSize = 28;
constexpr size_t kHdDateOffset = 0;    // int32 TradingDate
constexpr size_t kHdValuesOffset = 4;  // six packed decimal words follow
constexpr int kHdValueCount = 6;       // open, high, low, close, amount, volume

struct HdHeader {
  int32_t record_num;     // printed only; records run to the end of the file
  uint16_t record_start;  // printed only; the records follow the skipped block
  uint16_t record_len;    // length of the skipped block and of each record
};

// True when the kHdHeaderSize bytes at `probe` start with the hd1.0 magic.
bool HasHdMagic(const uint8_t* probe);

// Decodes the header fields from the kHdHeaderSize bytes at `probe`.
HdHeader DecodeHdHeader(const uint8_t* probe);

// Writes one CSV row with its CR LF (at most kMaxRowSize bytes) from the
// kHdDecodedSize bytes at `record`; returns the end.
char* FormatHdRow(const uint8_t* record, char* dst);

// Writes the table of an hd1.0 day file whose header is `probe` and whose
// `input` stands right after the header. Prints the three header lines to
// `console`; skips one record's length; then writes the header line and one
// row per record, the last from a short read, missing bytes zero. When the
// skipped block is empty (RecordLen 0, or the file ends) nothing is written.
// `input_size` is the whole file's; the rows go through `lanes` (null: this
// thread only).
ConvertResult ConvertHdDayFile(BlockReader* input, const uint8_t* probe,
                               uint64_t input_size, TextWriter* output,
                               ByteSink console, LaneBuffers* lanes);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_HD_DAY_FILE_H_
