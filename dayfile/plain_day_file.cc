// Plain day files to CSV rows.
#include "dayfile/plain_day_file.h"

#include <cstring>
#include <string>

#include "dayfile/coding.h"
#include "dayfile/csv_table.h"
#include "dayfile/number_text.h"

namespace dayfile {

DayRecord DecodeDayRecord(const uint8_t* bytes) {
  DayRecord record;
  record.date = DecodeFixed32(bytes + kDayDateOffset);
  record.open = DecodeFixed32(bytes + kDayOpenOffset);
  record.high = DecodeFixed32(bytes + kDayHighOffset);
  record.low = DecodeFixed32(bytes + kDayLowOffset);
  record.close = DecodeFixed32(bytes + kDayCloseOffset);
  const uint32_t amount_bits = DecodeFixed32(bytes + kDayAmountOffset);
  std::memcpy(&record.amount, &amount_bits, sizeof record.amount);
  record.volume = AsSigned32(DecodeFixed32(bytes + kDayVolumeOffset));
  return record;
}

char* FormatDayRow(const DayRecord& record, char* dst) {
  dst = FormatTradingDate(record.date, dst);
  *dst++ = ',';
  dst = FormatHundredths(record.open, dst);
  *dst++ = ',';
  dst = FormatHundredths(record.high, dst);
  *dst++ = ',';
  dst = FormatHundredths(record.low, dst);
  *dst++ = ',';
  dst = FormatHundredths(record.close, dst);
  *dst++ = ',';
  dst = FormatWholeFloat(record.amount, dst);
  *dst++ = ',';
  dst = FormatSigned(record.volume, dst);
  return EndRow(dst);
}

namespace {

void WritePlainRows(BlockReader* input, size_t record_len,
                    TextWriter* output) {
  uint8_t record[kDayRecordSize];
  while (!output->failed &&
         ReadRecord(input, record_len, record, sizeof record) != 0) {
    char* row = Reserve(output, kMaxRowSize);
    Commit(output, FormatDayRow(DecodeDayRecord(record), row));
  }
}

}  // namespace

ConvertResult ConvertPlainDayFile(BlockReader* input, uint64_t input_size,
                                  TextWriter* output, ByteSink console,
                                  LaneBuffers* lanes) {
  WriteText(console,
            "iFileLen:" + std::to_string(input_size / kDayRecordSize) + "\n");
  Append(output, kCsvHeader, kCsvHeaderSize);
  WriteRowsInLanes(input, {kDayRecordSize, WritePlainRows}, input_size,
                   output, lanes);
  return FinishConversion(input, output);
}

}  // namespace dayfile
