// hd1.0 day files to CSV rows.
#include "dayfile/hd_day_file.h"

#include <cstring>
#include <string>

#include "dayfile/coding.h"
#include "dayfile/csv_table.h"
#include "dayfile/number_text.h"
#include "dayfile/packed_decimal.h"

namespace dayfile {
namespace {

// Decimals of the value columns: four prices, then amount and volume.
constexpr int kHdPriceCount = 4;
constexpr int kPriceDecimals = 2;
constexpr int kWholeDecimals = 0;

}  // namespace

bool HasHdMagic(const uint8_t* probe) {
  return std::memcmp(probe, kHdMagic, kHdMagicSize) == 0;
}

HdHeader DecodeHdHeader(const uint8_t* probe) {
  const uint32_t low = DecodeFixed16(probe + kHdRecordNumLowOffset);
  const uint32_t high = DecodeFixed16(probe + kHdRecordNumHighOffset);
  return {AsSigned32(low | (high << 16)),
          DecodeFixed16(probe + kHdRecordStartOffset),
          DecodeFixed16(probe + kHdRecordLenOffset)};
}

char* FormatHdRow(const uint8_t* record, char* dst) {
  dst = FormatTradingDate(AsSigned32(DecodeFixed32(record + kHdDateOffset)),
                          dst);
  // Two loops, so that each call's decimals are a constant.
  for (int i = 0; i < kHdPriceCount; ++i) {
    const uint32_t word = DecodeFixed32(record + kHdValuesOffset + 4 * i);
    *dst++ = ',';
    dst = FormatPackedDecimal(DecodePackedDecimal(word), kPriceDecimals, dst);
  }
  for (int i = kHdPriceCount; i < kHdValueCount; ++i) {
    const uint32_t word = DecodeFixed32(record + kHdValuesOffset + 4 * i);
    *dst++ = ',';
    dst = FormatPackedDecimal(DecodePackedDecimal(word), kWholeDecimals, dst);
  }
  return EndRow(dst);
}

namespace {

void WriteHdRows(BlockReader* input, size_t record_len, TextWriter* output) {
  uint8_t record[kHdDecodedSize];
  while (!output->failed &&
         ReadRecord(input, record_len, record, sizeof record) != 0) {
    char* row = Reserve(output, kMaxRowSize);
    Commit(output, FormatHdRow(record, row));
  }
}

}  // namespace

ConvertResult ConvertHdDayFile(BlockReader* input, const uint8_t* probe,
                               uint64_t input_size, TextWriter* output,
                               ByteSink console, LaneBuffers* lanes) {
  const HdHeader header = DecodeHdHeader(probe);
  WriteText(console, "RecordNum=" + std::to_string(header.record_num) +
                         "\nRecordStart=" +
                         std::to_string(header.record_start) +
                         "\nRecordLen=" + std::to_string(header.record_len) +
                         "\n");
  uint8_t record[kHdDecodedSize];
  // The block after the header is one record long and holds nothing we use.
  if (ReadRecord(input, header.record_len, record, 0) == 0) {
    return FinishConversion(input, output);
  }
  Append(output, kCsvHeader, kCsvHeaderSize);
  const uint64_t before_rows = kHdHeaderSize + uint64_t{header.record_len};
  WriteRowsInLanes(input, {header.record_len, WriteHdRows},
                   input_size > before_rows ? input_size - before_rows : 0,
                   output, lanes);
  return FinishConversion(input, output);
}

}  // namespace dayfile
