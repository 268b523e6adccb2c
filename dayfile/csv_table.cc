// The trading date column of the CSV table.
#include "dayfile/csv_table.h"

#include "dayfile/number_text.h"

namespace dayfile {

char* FormatTradingDate(int64_t date, char* dst) {
  if (date >= 0 && date <= 99999999) {  // every real date: yyyy/mm/dd
    const unsigned d = static_cast<unsigned>(date);
    dst = WriteTwoDigits(d / 1000000, dst);
    dst = WriteTwoDigits(d / 10000 % 100, dst);
    *dst++ = '/';
    dst = WriteTwoDigits(d / 100 % 100, dst);
    *dst++ = '/';
    return WriteTwoDigits(d % 100, dst);
  }
  const DateParts parts = SplitTradingDate(date);
  dst = FormatZeroPadded(parts.year, 4, dst);
  *dst++ = '/';
  dst = FormatZeroPadded(parts.month, 2, dst);
  *dst++ = '/';
  return FormatZeroPadded(parts.day, 2, dst);
}

}  // namespace dayfile
