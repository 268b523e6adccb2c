// The trading date column of the CSV table.
#include "dayfile/csv_table.h"

#include "dayfile/number_text.h"

namespace dayfile {

char* FormatOtherTradingDate(int64_t date, char* dst) {
  const DateParts parts = SplitTradingDate(date);
  dst = FormatZeroPadded(parts.year, 4, dst);
  *dst++ = '/';
  dst = FormatZeroPadded(parts.month, 2, dst);
  *dst++ = '/';
  return FormatZeroPadded(parts.day, 2, dst);
}

}  // namespace dayfile
